// What package-tool serve needs of the system it runs on: a wait that ends
// when the user asks the server to stop (Ctrl+C and the like), when the
// followed save was written or when the time is up; and where the program
// and the player's map picture are.
#pragma once

#include <string>

// Prepares the wait; false with a one-line reason in *error when it cannot be
// had. Before any of the others.
bool startServeWaiting(std::string *error);

// Watches `name`, the save followed from now on, in place of the last one:
// its writes end the wait. ShareFollower's watch.
bool watchServedSave(const char *name);

// From now on a stop asked by the user ends the wait instead of the program.
void catchServeStop();

// Waits up to `milliseconds`; returns whether a stop was asked. *saveWritten
// tells whether the watch saw the followed save written meanwhile.
bool waitServe(int milliseconds, bool *saveWritten);

// Whether standard output takes ANSI colour codes (the QR code sets its own
// colours then); on Windows it asks the console for them. After
// startServeWaiting.
bool serveTerminalColours();

// Ends the watch and the wait.
void endServeWaiting();

// The folder of the running program (empty when it cannot be told) and the
// map picture the viewer would load.
std::string servedProgramFolder();
std::string servedMapPicture();
