// package-tool route: the shortest collecting route through a savegame's
// markers, as text, CSV or JSON, in visiting order.
#include <cstdio>
#include <cstring>
#include <string>

#include "app/collecting_route.h"
#include "app/viewer_state.h"
#include "package_tool/commands.h"
#include "package_tool/tool_savegame.h"
#include "package_tool/tool_text.h"
#include "route/route_planner.h"

namespace {

enum class Format { TEXT, CSV, JSON };

struct RouteOptions {
  const char *path = nullptr;
  bool hasStart = false;
  float startX = 0.0f;
  float startY = 0.0f;
  bool packages = true;
  bool rampages = false;
  Format format = Format::TEXT;
};

int usageError(const char *format, const char *value) {
  std::fputs("package-tool route: ", stderr);
  std::fprintf(stderr, format, value);
  std::fputc('\n', stderr);
  return 2;
}

// Returns 0 when the arguments are good, else the exit status after a message.
int parseOptions(int argc, char **argv, RouteOptions *options) {
  for (int i = 1; i < argc; ++i) {
    const char *argument = argv[i];
    const bool hasValue = i + 1 < argc;
    if (std::strcmp(argument, "--from") == 0 && hasValue) {
      if (!parseFloatPair(argv[++i], &options->startX, &options->startY)) {
        return usageError("--from takes two finite numbers X,Y: '%s'", argv[i]);
      }
      options->hasStart = true;
    } else if (std::strcmp(argument, "--kinds") == 0 && hasValue) {
      const char *kinds = argv[++i];
      options->packages = std::strcmp(kinds, "packages") == 0 || std::strcmp(kinds, "all") == 0;
      options->rampages = std::strcmp(kinds, "rampages") == 0 || std::strcmp(kinds, "all") == 0;
      if (!options->packages && !options->rampages) {
        return usageError("unknown kinds '%s' (packages, rampages or all)", kinds);
      }
    } else if (std::strcmp(argument, "--format") == 0 && hasValue) {
      const char *format = argv[++i];
      if (std::strcmp(format, "text") == 0) {
        options->format = Format::TEXT;
      } else if (std::strcmp(format, "csv") == 0) {
        options->format = Format::CSV;
      } else if (std::strcmp(format, "json") == 0) {
        options->format = Format::JSON;
      } else {
        return usageError("unknown format '%s' (text, csv or json)", format);
      }
    } else if ((argument[0] == '-' && argument[1] != '\0') || options->path) {
      printUsage(stderr);
      return 2;
    } else {
      options->path = argument;
    }
  }
  if (!options->path) {
    printUsage(stderr);
    return 2;
  }
  return 0;
}

const char *kindName(int32_t kind) { return kind == MARKER_PACKAGE ? "package" : "rampage"; }

// The legs of a route: legs[i] is the walk to stop i (0 for the first stop
// without a start), totals[i] the walk up to and including it.
struct Walk {
  std::vector<double> legs;
  std::vector<double> totals;
  double length = 0.0;
};

Walk walkOf(const MarkerRoute &route, const RoutePoint *start) {
  Walk walk;
  for (size_t i = 0; i < route.stops.size(); ++i) {
    const RoutePoint here{route.stops[i].x, route.stops[i].y};
    double leg = 0.0;
    if (i > 0) {
      leg = routeDistance(RoutePoint{route.stops[i - 1].x, route.stops[i - 1].y}, here);
    } else if (start) {
      leg = routeDistance(*start, here);
    }
    walk.length += leg;
    walk.legs.push_back(leg);
    walk.totals.push_back(walk.length);
  }
  return walk;
}

void printText(const MarkerRoute &route, const Walk &walk, const RoutePoint *start) {
  std::printf("%4s  %-7s %5s %12s %12s %12s %10s %10s\n", "stop", "kind", "index", "x", "y", "z", "leg", "total");
  for (size_t i = 0; i < route.stops.size(); ++i) {
    const RouteStop &stop = route.stops[i];
    std::printf("%4d  %-7s %5d %12s %12s %12s %10.1f %10.1f\n", static_cast<int>(i + 1), kindName(stop.kind),
                static_cast<int>(stop.index), shortest(stop.x).c_str(), shortest(stop.y).c_str(),
                shortest(stop.z).c_str(), walk.legs[i], walk.totals[i]);
  }
  for (const RouteStop &stop : route.unplaced) {
    std::printf("%4s  %-7s %5d %12s %12s %12s %10s %10s\n", "-", kindName(stop.kind), static_cast<int>(stop.index),
                shortest(stop.x).c_str(), shortest(stop.y).c_str(), shortest(stop.z).c_str(), "-", "-");
  }
  if (start) {
    std::printf("length %.1f from %s, %s\n", walk.length, shortest(start->x).c_str(), shortest(start->y).c_str());
  } else {
    std::printf("length %.1f\n", walk.length);
  }
}

void printCsv(const MarkerRoute &route, const Walk &walk) {
  std::puts("kind,index,x,y,z,leg,total");
  for (size_t i = 0; i < route.stops.size(); ++i) {
    const RouteStop &stop = route.stops[i];
    std::printf("%s,%d,%s,%s,%s,%s,%s\n", kindName(stop.kind), static_cast<int>(stop.index),
                shortest(stop.x).c_str(), shortest(stop.y).c_str(), shortest(stop.z).c_str(),
                shortest(walk.legs[i]).c_str(), shortest(walk.totals[i]).c_str());
  }
  for (const RouteStop &stop : route.unplaced) {
    std::printf("%s,%d,%s,%s,%s,,\n", kindName(stop.kind), static_cast<int>(stop.index), shortest(stop.x).c_str(),
                shortest(stop.y).c_str(), shortest(stop.z).c_str());
  }
}

std::string jsonStop(const RouteStop &stop) {
  return std::string("{\"kind\":\"") + kindName(stop.kind) + "\",\"index\":" + std::to_string(stop.index) +
         ",\"x\":" + jsonNumber(stop.x) + ",\"y\":" + jsonNumber(stop.y) + ",\"z\":" + jsonNumber(stop.z);
}

void printJson(const MarkerRoute &route, const Walk &walk, const RoutePoint *start) {
  std::string from = "null";
  if (start) from = "[" + jsonNumber(start->x) + "," + jsonNumber(start->y) + "]";
  std::printf("{\"from\":%s,\"length\":%s,\"stops\":[", from.c_str(), jsonNumber(walk.length).c_str());
  for (size_t i = 0; i < route.stops.size(); ++i) {
    std::printf("%s%s,\"leg\":%s,\"total\":%s}", i ? "," : "", jsonStop(route.stops[i]).c_str(),
                jsonNumber(walk.legs[i]).c_str(), jsonNumber(walk.totals[i]).c_str());
  }
  std::fputs("],\"unplaced\":[", stdout);
  for (size_t i = 0; i < route.unplaced.size(); ++i) {
    std::printf("%s%s}", i ? "," : "", jsonStop(route.unplaced[i]).c_str());
  }
  std::fputs("]}\n", stdout);
}

}  // namespace

int runRouteCommand(int argc, char **argv) {
  RouteOptions options;
  if (int status = parseOptions(argc, argv, &options)) return status;

  if (int status = loadToolSavegame("route", options.path)) return status;

  RouteMarkers markers;
  if (options.packages) {
    markers.packages = viewerState.packages;
    markers.packageCount = viewerState.packageCount;
  }
  if (options.rampages) {
    markers.rampages = viewerState.rampages;
    markers.rampageCount = viewerState.rampageCount;
  }
  const RoutePoint startPoint{options.startX, options.startY};
  const RoutePoint *start = options.hasStart ? &startPoint : nullptr;
  const MarkerRoute route = planMarkerRoute(markers, start);
  if (!route.unplaced.empty()) {
    std::fprintf(stderr, "package-tool route: %d marker(s) whose x or y is not finite cannot be placed on the route\n",
                 static_cast<int>(route.unplaced.size()));
  }

  const Walk walk = walkOf(route, start);
  switch (options.format) {
    case Format::TEXT:
      printText(route, walk, start);
      break;
    case Format::CSV:
      printCsv(route, walk);
      break;
    case Format::JSON:
      printJson(route, walk, start);
      break;
  }
  return 0;
}
