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
#include "package_tool/tool_arguments.h"
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

bool hasExtension(const char *name, const char *extension) {
  const size_t length = std::strlen(name);
  const size_t extensionLength = std::strlen(extension);
  return length >= extensionLength && strcasecmp(name + length - extensionLength, extension) == 0;
}

int main(int argc, char **argv) {
  headlessSetMessageSink(printMessageBox);
  if (argc < 2) {
    printCommandUsage(nullptr, stderr);
    return 2;
  }
  const char *command = argv[1];
  if (std::strcmp(command, "--help") == 0 || std::strcmp(command, "-h") == 0) {
    printCommandUsage(nullptr, stdout);
    return 0;
  }
  if (std::strcmp(command, "--version") == 0) {
    std::puts(VERSION_TEXT);
    return 0;
  }
  using Command = int (*)(int, char **);
  const struct {
    const char *name;
    Command run;
  } commands[] = {{"list", runListCommand},
                  {"route", runRouteCommand},
                  {"bmp", runBmpCommand},
                  {"map", runMapCommand},
                  {"render", runRenderCommand},
                  {"serve", runServeCommand}};
  for (const auto &entry : commands) {
    if (std::strcmp(command, entry.name) != 0) continue;
    ToolArguments arguments;
    const int status = readArguments(argc - 1, argv + 1, &arguments);
    if (status >= 0) return status;
    return entry.run(static_cast<int>(arguments.pointers.size()) - 1, arguments.pointers.data());
  }
  std::fprintf(stderr, "package-tool: unknown command '%s'\n", command);
  printCommandUsage(nullptr, stderr);
  return 2;
}
