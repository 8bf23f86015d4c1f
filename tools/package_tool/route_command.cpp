// package-tool route: the shortest collecting route through a savegame's
// markers, as text, CSV or JSON, in visiting order.
#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/collecting_route.h"
#include "app/viewer_state.h"
#include "package_tool/commands.h"
#include "package_tool/tool_arguments.h"
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
  // Both kinds, as the viewer shows them until 'K' is pressed.
  bool packages = true;
  bool rampages = true;
  Format format = Format::TEXT;
};

int usageError(const char *format, const char *value) { return ::usageError("route", format, value); }

// Returns 0 when the arguments are good, else the exit status after a message.
int parseOptions(int argc, char **argv, RouteOptions *options) {
  for (int i = 1; i < argc; ++i) {
    const char *argument = argv[i];
    if (std::strcmp(argument, "--from") == 0) {
      if (!parseFloatPair(argv[++i], &options->startX, &options->startY)) {
        return usageError("--from takes two finite numbers X,Y: '%s'", argv[i]);
      }
      options->hasStart = true;
    } else if (std::strcmp(argument, "--kinds") == 0) {
      const char *kinds = argv[++i];
      if (!parseKinds(kinds, &options->packages, &options->rampages)) {
        return usageError("unknown kinds '%s' (packages, rampages or all)", kinds);
      }
    } else if (std::strcmp(argument, "--format") == 0) {
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
    } else if (options->path) {
      return usageError("one SAVEGAME only: '%s'", argument);
    } else {
      options->path = argument;
    }
  }
  if (!options->path) {
    printCommandUsage("route", stderr);
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

// The text table: each column as wide as its heading's usual width, wider
// where a value needs it, so that the columns stay aligned for any number.
void printText(const MarkerRoute &route, const Walk &walk, const RoutePoint *start) {
  constexpr int COLUMNS = 8;
  using Row = std::array<std::string, COLUMNS>;
  auto fixed = [](double value) {
    char text[400];
    std::snprintf(text, sizeof text, "%.1f", value);
    return std::string(text);
  };
  auto rowOf = [](const RouteStop &stop, const std::string &place, const std::string &leg,
                  const std::string &total) {
    return Row{place, kindName(stop.kind), std::to_string(stop.index), shortest(stop.x), shortest(stop.y),
               shortest(stop.z), leg, total};
  };
  std::vector<Row> rows{Row{"stop", "kind", "index", "x", "y", "z", "leg", "total"}};
  for (size_t i = 0; i < route.stops.size(); ++i) {
    rows.push_back(rowOf(route.stops[i], std::to_string(i + 1), fixed(walk.legs[i]), fixed(walk.totals[i])));
  }
  for (const RouteStop &stop : route.unplaced) rows.push_back(rowOf(stop, "-", "-", "-"));

  std::array<size_t, COLUMNS> widths{4, 7, 5, 12, 12, 12, 10, 10};
  for (const Row &row : rows) {
    for (int c = 0; c < COLUMNS; ++c) widths[c] = std::max(widths[c], row[c].size());
  }
  // Separators before each column: two spaces after the stop, one elsewhere.
  const char *const before[COLUMNS] = {"", "  ", " ", " ", " ", " ", " ", " "};
  for (const Row &row : rows) {
    std::string line;
    for (int c = 0; c < COLUMNS; ++c) {
      const std::string padding(widths[c] - row[c].size(), ' ');
      line += before[c];
      line += c == 1 ? row[c] + padding : padding + row[c];  // the kind is left-aligned
    }
    std::puts(line.c_str());
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
  noteNothingLeft("route", options.path, options.packages, options.rampages);

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
