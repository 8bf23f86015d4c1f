// Reading package-tool's command lines and saying what went wrong; see
// tool_arguments.h.
#include "package_tool/tool_arguments.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

namespace {

// What a command accepts: its usage, the options that take a value and the
// options that stand alone.
struct CommandSyntax {
  const char *name;
  const char *usage;
  std::vector<const char *> valued;
  std::vector<const char *> flags;
};

const CommandSyntax COMMANDS[] = {
    {"list",
     "  package-tool list SAVEGAME [--format csv|json]\n"
     "      Prints the packages and rampages left in a savegame.\n",
     {"--format"},
     {}},
    {"route",
     "  package-tool route SAVEGAME [--from X,Y] [--kinds packages|rampages|all]\n"
     "                     [--format text|csv|json]\n"
     "      Prints the shortest route through the markers left (default: all, as the\n"
     "      viewer shows them), from map point X,Y or from wherever is best; heights\n"
     "      are ignored.\n",
     {"--from", "--kinds", "--format"},
     {}},
    {"bmp",
     "  package-tool bmp IMAGE OUT.png|OUT.ppm\n"
     "      Loads a BMP picture as the viewer does and writes it upright.\n",
     {},
     {}},
    {"map",
     "  package-tool map IMAGE OUT.bmp [--size N] [--world LEFT,BOTTOM,RIGHT,TOP]\n"
     "  package-tool map IMAGE OUT.bmp [--size N] --pin PX,PY=X,Y --pin PX,PY=X,Y [...]\n"
     "      Makes a map the viewer loads from a PNG, JPEG, GIF, TGA or BMP picture,\n"
     "      N x N pixels (a power of two up to 4096; default 1024) for savegame\n"
     "      -2000 .. 2000; --world gives the savegame coordinates of the picture's\n"
     "      edges (default -2000,-2000,2000,2000). Or two or more pins place it, each\n"
     "      the picture point PX,PY (pixels from its top-left corner) showing the\n"
     "      savegame point X,Y, as the viewer's 'M' does; N is then the viewer's\n"
     "      choice for the picture unless --size says.\n",
     {"--size", "--world", "--pin"},
     {}},
    {"render",
     "  package-tool render [SAVEGAME] OUT.png [--size WxH] [--zoom Z] [--camera X,Y]\n"
     "                      [--help-page] [--map FILE] [--font FILE] [--route [--from X,Y]]\n"
     "                      [--kinds packages|rampages|all] [--palette standard|safe]\n"
     "      Draws the viewer's picture offscreen and writes it as PNG (OUT ends in .png):\n"
     "      with --route the collecting route, from map point X,Y or from wherever is\n"
     "      best, through the kinds shown.\n",
     {"--size", "--zoom", "--camera", "--map", "--font", "--from", "--kinds", "--palette"},
     {"--help-page", "--route"}},
    {"serve",
     "  package-tool serve SAVEGAME|FOLDER [--port N] [--lan] [--site DIR]\n"
     "      Serves the web page and the save (a folder's newest) to browsers, live, at\n"
     "      the address it prints first: on this machine only, or with --lan on the\n"
     "      local network behind a secret address, also shown as a QR code. Port 8765\n"
     "      unless --port says (0: any free one). Runs until Ctrl+C.\n",
     {"--port", "--site"},
     {"--lan"}},
};

const CommandSyntax *syntaxOf(const char *command) {
  for (const CommandSyntax &syntax : COMMANDS) {
    if (std::strcmp(syntax.name, command) == 0) return &syntax;
  }
  return nullptr;
}

bool named(const std::vector<const char *> &names, const std::string &name) {
  for (const char *candidate : names) {
    if (name == candidate) return true;
  }
  return false;
}

bool isHelp(const char *argument) { return std::strcmp(argument, "--help") == 0 || std::strcmp(argument, "-h") == 0; }

}  // namespace

void printCommandUsage(const char *command, FILE *stream) {
  std::fputs("Usage:\n", stream);
  for (const CommandSyntax &syntax : COMMANDS) {
    if (!command || std::strcmp(syntax.name, command) == 0) std::fputs(syntax.usage, stream);
  }
  if (!command) std::fputs("  package-tool --help | --version\n", stream);
}

int readArguments(int argc, char **argv, ToolArguments *arguments) {
  const char *command = argv[0];
  const CommandSyntax *syntax = syntaxOf(command);
  for (int i = 1; i < argc; ++i) {
    if (isHelp(argv[i])) {
      printCommandUsage(command, stdout);
      return 0;
    }
  }
  std::vector<std::string> &words = arguments->words;
  words.assign(1, command);
  for (int i = 1; i < argc; ++i) {
    const char *argument = argv[i];
    // A lone "-" is a name, as is anything not starting with '-'.
    if (argument[0] != '-' || argument[1] == '\0') {
      words.push_back(argument);
      continue;
    }
    const char *equals = std::strchr(argument, '=');
    const std::string name = equals ? std::string(argument, equals) : std::string(argument);
    if (syntax && named(syntax->flags, name)) {
      if (equals) return usageError(command, "%s takes no value", name.c_str());
      words.push_back(name);
    } else if (syntax && named(syntax->valued, name)) {
      words.push_back(name);
      if (equals) {
        words.push_back(equals + 1);
      } else if (i + 1 < argc) {
        words.push_back(argv[++i]);
      } else {
        return usageError(command, "%s needs a value", name.c_str());
      }
    } else {
      return usageError(command, "unknown option '%s'", argument);
    }
  }
  arguments->pointers.clear();
  for (std::string &word : words) arguments->pointers.push_back(word.data());
  arguments->pointers.push_back(nullptr);
  return -1;
}

int usageError(const char *command, const char *format, const char *value) {
  std::fprintf(stderr, "package-tool %s: ", command);
  std::fprintf(stderr, format, value);
  std::fputc('\n', stderr);
  return 2;
}

int fileFailure(const char *file, const std::string &reason) {
  std::fprintf(stderr, "package-tool: %s: %s\n", file, reason.c_str());
  return 1;
}

std::string unreadableReason(const char *file) {
  // stat first: opening a FIFO for reading would wait for a writer.
  struct stat info;
  if (stat(file, &info) != 0) return std::strerror(errno);
  if (S_ISDIR(info.st_mode)) return std::strerror(EISDIR);
  if (!S_ISREG(info.st_mode)) return "not a regular file";
  errno = 0;
  FILE *opened = std::fopen(file, "rb");
  if (!opened) return errno ? std::strerror(errno) : "cannot be opened";
  std::fclose(opened);
  return std::string();
}

bool parseKinds(const char *text, bool *packages, bool *rampages) {
  const bool all = std::strcmp(text, "all") == 0;
  const bool onlyPackages = std::strcmp(text, "packages") == 0;
  const bool onlyRampages = std::strcmp(text, "rampages") == 0;
  if (!all && !onlyPackages && !onlyRampages) return false;
  *packages = !onlyRampages;
  *rampages = !onlyPackages;
  return true;
}
