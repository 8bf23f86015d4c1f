// How package-tool's commands read a savegame: as the viewer reads one, into
// viewerState's lists, and with a note on stderr when the save holds more
// packages or rampages than the lists keep (the first 100 and 35).
#pragma once

struct SavegameMarkers;

// Reads the save at PATH into viewerState (its name into saveFileName) for
// the command named COMMAND ("list", "render", ...), noting dropped markers.
// Returns 0, or the exit status after a message on stderr: 1 when the save
// cannot be read (naming the file and the reason), 2 when the path does not
// fit saveFileName.
int loadToolSavegame(const char *command, const char *path);

// Says on stderr, as "package-tool COMMAND: ...", which of the save's
// packages and rampages the lists left out; says nothing when all are kept.
void noteDroppedMarkers(const char *command, const SavegameMarkers &markers);

// Says on stderr that nothing is left in the save at PATH when the lists hold
// no marker of the kinds asked for (packages, rampages or both).
void noteNothingLeft(const char *command, const char *path, bool packages, bool rampages);
