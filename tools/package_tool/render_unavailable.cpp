// package-tool render where the tool cannot draw: the Windows build has no
// offscreen OpenGL (the render command draws through EGL on Mesa). It says so
// and fails, rather than write nothing in silence.
#include <cstdio>

#include "package_tool/commands.h"

int runRenderCommand(int, char **) {
  std::fputs(
      "package-tool render: drawing offscreen needs OpenGL through EGL (Mesa), which this build lacks;\n"
      "the Linux package-tool draws it, and the viewer shows the same picture\n",
      stderr);
  return 1;
}
