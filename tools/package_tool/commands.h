// The sub-commands of package-tool. Each takes its name and the arguments
// that follow it, as readArguments (tool_arguments.h) leaves them, and returns the process exit status (0 success, 1 failure reported by
// a message, 2 wrong usage).
#pragma once

#include <cstdio>

int runListCommand(int argc, char **argv);
int runRouteCommand(int argc, char **argv);
int runBmpCommand(int argc, char **argv);
int runMapCommand(int argc, char **argv);
int runRenderCommand(int argc, char **argv);
int runServeCommand(int argc, char **argv);

// Whether NAME ends in EXTENSION (".png"), in any case.
bool hasExtension(const char *name, const char *extension);
