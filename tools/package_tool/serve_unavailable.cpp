// package-tool serve where the tool has no server: the Windows build does not
// carry one yet. It says so and fails, rather than print an address nothing
// answers at.
#include <cstdio>

#include "package_tool/commands.h"

int runServeCommand(int, char **) {
  std::fputs("package-tool serve: this build has no web server; the Linux package-tool serves the page\n", stderr);
  return 1;
}
