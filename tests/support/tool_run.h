// Runs the package-tool that the test's build names in PACKAGE_TOOL through
// the shell, and keeps its exit status and what it wrote to stderr, for the
// tests of the tool's commands.
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "support/savegame_writer.h"

struct ToolRun {
  int status;  // -1 when the tool did not exit by itself
  std::string errors;
};

// ARGUMENTS follow the tool's name as they are, quoted by the caller.
inline ToolRun runPackageTool(const std::string &arguments) {
  const std::string errorsPath = temporaryPath("package-tool-stderr.txt");
  const std::string command = std::string("'") + PACKAGE_TOOL + "' " + arguments + " 2>'" + errorsPath + "'";
  const int status = std::system(command.c_str());
  std::ifstream in(errorsPath);
  ToolRun run{WIFEXITED(status) ? WEXITSTATUS(status) : -1, std::string(std::istreambuf_iterator<char>(in), {})};
  std::remove(errorsPath.c_str());
  return run;
}
