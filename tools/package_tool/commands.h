// The sub-commands of package-tool. Each takes the arguments that follow its
// name and returns the process exit status (0 success, 1 failure reported by
// a message, 2 wrong usage).
#pragma once

#include <cstdio>

int runListCommand(int argc, char **argv);
int runRouteCommand(int argc, char **argv);
int runBmpCommand(int argc, char **argv);
int runMapCommand(int argc, char **argv);
int runRenderCommand(int argc, char **argv);

// Prints the usage of every sub-command to the given stream.
void printUsage(FILE *stream);

// Whether NAME ends in EXTENSION (".png"), in any case.
bool hasExtension(const char *name, const char *extension);
