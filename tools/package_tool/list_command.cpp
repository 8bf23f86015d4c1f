// package-tool list: the markers of a savegame as CSV or JSON, all packages
// then all rampages, each in file order.
#include <cstdio>
#include <cstring>
#include <string>

#include "app/viewer_state.h"
#include "package_tool/commands.h"
#include "package_tool/tool_arguments.h"
#include "package_tool/tool_savegame.h"
#include "package_tool/tool_text.h"

namespace {

void printCsv(const char *kind, const PickupMarker *markers, int32_t count) {
  for (int32_t i = 0; i < count; ++i) {
    std::printf("%s,%d,%s,%s,%s\n", kind, i, shortest(markers[i].x).c_str(), shortest(markers[i].y).c_str(),
                shortest(markers[i].z).c_str());
  }
}

void printJsonList(const PickupMarker *markers, int32_t count) {
  std::putchar('[');
  for (int32_t i = 0; i < count; ++i) {
    std::printf("%s{\"index\":%d,\"x\":%s,\"y\":%s,\"z\":%s}", i ? "," : "", i, jsonNumber(markers[i].x).c_str(),
                jsonNumber(markers[i].y).c_str(), jsonNumber(markers[i].z).c_str());
  }
  std::putchar(']');
}

}  // namespace

int runListCommand(int argc, char **argv) {
  const char *path = nullptr;
  bool json = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--format") == 0) {
      const char *format = argv[++i];
      if (std::strcmp(format, "json") == 0) {
        json = true;
      } else if (std::strcmp(format, "csv") != 0) {
        return usageError("list", "unknown format '%s' (csv or json)", format);
      }
    } else if (path) {
      return usageError("list", "one SAVEGAME only: '%s'", argv[i]);
    } else {
      path = argv[i];
    }
  }
  if (!path) {
    printCommandUsage("list", stderr);
    return 2;
  }
  if (int status = loadToolSavegame("list", path)) return status;
  noteNothingLeft("list", path, true, true);

  if (json) {
    std::fputs("{\"packages\":", stdout);
    printJsonList(viewerState.packages, viewerState.packageCount);
    std::fputs(",\"rampages\":", stdout);
    printJsonList(viewerState.rampages, viewerState.rampageCount);
    std::fputs("}\n", stdout);
  } else {
    std::puts("kind,index,x,y,z");
    printCsv("package", viewerState.packages, viewerState.packageCount);
    printCsv("rampage", viewerState.rampages, viewerState.rampageCount);
  }
  return 0;
}
