// package-tool: lists a savegame's markers, plans a route through them,
// converts a BMP for checking, makes a map picture from any picture, and
// renders the viewer's picture offscreen.
// Runs on the headless platform, where every message box is printed to stderr
// as "CAPTION: TEXT".
#include <strings.h>

#include <cstdio>
#include <cstring>

#include "app/viewer_version.h"
#include "package_tool/commands.h"
#include "platform/headless/headless.h"

namespace {

const char *const VERSION_TEXT = "package-tool " VIEWER_VERSION_TEXT " (KZR Tern Haven Package Viewer)";

void printMessageBox(const char *caption, const char *text) {
  // The loader's open-failure text ends in a newline of its own.
  size_t length = std::strlen(text);
  const char *end = length > 0 && text[length - 1] == '\n' ? "" : "\n";
  std::fprintf(stderr, "%s: %s%s", caption, text, end);
}

}  // namespace

void printUsage(FILE *stream) {
  std::fputs(
      "Usage:\n"
      "  package-tool list SAVEGAME [--format csv|json]\n"
      "      Prints the packages and rampages left in a savegame.\n"
      "  package-tool route SAVEGAME [--from X,Y] [--kinds packages|rampages|all]\n"
      "                     [--format text|csv|json]\n"
      "      Prints the shortest route through the markers left (default: packages),\n"
      "      from map point X,Y or from wherever is best; heights are ignored.\n"
      "  package-tool bmp IMAGE OUT.png|OUT.ppm\n"
      "      Loads a BMP picture as the viewer does and writes it upright.\n"
      "  package-tool map IMAGE OUT.bmp [--size N] [--world LEFT,BOTTOM,RIGHT,TOP]\n"
      "      Makes a map the viewer loads from a PNG, JPEG, GIF, TGA or BMP picture,\n"
      "      N x N pixels (a power of two up to 4096; default 1024) for savegame\n"
      "      -2000 .. 2000; --world gives the savegame coordinates of the picture's\n"
      "      edges (default -2000,-2000,2000,2000).\n"
      "  package-tool render [SAVEGAME] OUT.png [--size WxH] [--zoom Z] [--camera X,Y]\n"
      "                      [--help-page] [--map FILE] [--font FILE]\n"
      "      Draws the viewer's picture offscreen and writes it as PNG (OUT ends in .png).\n"
      "  package-tool --help | --version\n",
      stream);
}

bool hasExtension(const char *name, const char *extension) {
  const size_t length = std::strlen(name);
  const size_t extensionLength = std::strlen(extension);
  return length >= extensionLength && strcasecmp(name + length - extensionLength, extension) == 0;
}

int main(int argc, char **argv) {
  headlessSetMessageSink(printMessageBox);
  if (argc < 2) {
    printUsage(stderr);
    return 2;
  }
  const char *command = argv[1];
  if (std::strcmp(command, "--help") == 0 || std::strcmp(command, "-h") == 0) {
    printUsage(stdout);
    return 0;
  }
  if (std::strcmp(command, "--version") == 0) {
    std::puts(VERSION_TEXT);
    return 0;
  }
  if (std::strcmp(command, "list") == 0) return runListCommand(argc - 1, argv + 1);
  if (std::strcmp(command, "route") == 0) return runRouteCommand(argc - 1, argv + 1);
  if (std::strcmp(command, "bmp") == 0) return runBmpCommand(argc - 1, argv + 1);
  if (std::strcmp(command, "map") == 0) return runMapCommand(argc - 1, argv + 1);
  if (std::strcmp(command, "render") == 0) return runRenderCommand(argc - 1, argv + 1);
  std::fprintf(stderr, "package-tool: unknown command '%s'\n", command);
  printUsage(stderr);
  return 2;
}
