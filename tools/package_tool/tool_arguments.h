// How every package-tool command reads its command line, and how it says what
// went wrong: a file that cannot be read, an option that is unknown or lacks
// its value, a value that is refused.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

// A command's arguments after readArguments: "--name=value" split into
// "--name" "value", so that every option that takes a value is followed by it.
struct ToolArguments {
  std::vector<std::string> words;
  std::vector<char *> pointers;  // into words, for the commands' argv
};

// Reads the arguments after the command's name (argv[0] is the name). Returns
// -1 when the command may run with *arguments, else the exit status after
// printing: 0 when --help (or -h) asked for the command's usage, which goes
// to stdout; 2 when an option is unknown or lacks its value, said in one line.
int readArguments(int argc, char **argv, ToolArguments *arguments);

// The usage of the named command ("list", ...), or of every command when
// COMMAND is null, under "Usage:".
void printCommandUsage(const char *command, FILE *stream);

// "package-tool COMMAND: " and the message with VALUE in place of %s; returns 2.
int usageError(const char *command, const char *format, const char *value);

// "package-tool: FILE: REASON"; returns 1.
int fileFailure(const char *file, const std::string &reason);

// Why FILE cannot be opened for reading as a regular file, as the system says
// it ("No such file or directory", "Is a directory", "Permission denied"), or
// "not a regular file"; empty when it can be.
std::string unreadableReason(const char *file);

// The kinds a --kinds value names: "packages", "rampages" or "all". False for
// any other word, leaving both as they were.
bool parseKinds(const char *text, bool *packages, bool *rampages);
