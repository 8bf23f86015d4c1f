// The route planner: how long 135 markers take, beside loadSavegame of the
// same save, and how close its routes come to the shortest known, family by
// family of point sets: the exact program's answer on small sets, known
// optima (a circle, a grid), and on scattered and clustered sets of 135 the
// best of many long searches with other seeds.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "app/collecting_route.h"
#include "app/viewer_state.h"
#include "bench_table.h"
#include "route/route_planner.h"
#include "save/savegame.h"
#include "support/route_sets.h"
#include "support/savegame_writer.h"

namespace {

constexpr int32_t MARKERS = PACKAGE_CAPACITY + RAMPAGE_CAPACITY;
constexpr int32_t SETS_PER_FAMILY = 10;
constexpr int32_t LONG_SEARCHES = 8;

// 100 packages and 35 rampages scattered over the map.
std::vector<unsigned char> makeFullSave() {
  const std::vector<RoutePoint> points = scatteredPoints(MARKERS, 135);
  std::vector<PickupRecord> pickups;
  for (int32_t i = 0; i < MARKERS; ++i) {
    const unsigned char kind = i < PACKAGE_CAPACITY ? PICKUP_KIND_PACKAGE : PICKUP_KIND_RAMPAGE;
    pickups.push_back(pickup(kind, static_cast<float>(points[i].x), static_cast<float>(points[i].y), 10.0f));
  }
  return makeSavegame(pickups);
}

void loadSave(benchmark::State &state, const std::string &path) {
  std::snprintf(viewerState.saveFileName, sizeof viewerState.saveFileName, "%s", path.c_str());
  for (auto _ : state) {
    if (!loadSavegame()) {
      state.SkipWithError("loadSavegame did not read the save");
      break;
    }
    benchmark::DoNotOptimize(viewerState.packages);
  }
  resetViewerState();
}

// What 'R' and package-tool route do with the loaded lists.
void planThroughSave(benchmark::State &state, const std::string &path) {
  std::snprintf(viewerState.saveFileName, sizeof viewerState.saveFileName, "%s", path.c_str());
  if (!loadSavegame()) {
    state.SkipWithError("loadSavegame did not read the save");
    return;
  }
  const RouteMarkers markers{viewerState.packages, viewerState.packageCount, viewerState.rampages,
                             viewerState.rampageCount};
  const RoutePoint start{-1800.0, 1700.0};
  for (auto _ : state) {
    MarkerRoute route = planMarkerRoute(markers, &start);
    if (route.stops.size() != static_cast<size_t>(MARKERS)) {
      state.SkipWithError("the route missed markers");
      break;
    }
    benchmark::DoNotOptimize(route.stops.data());
  }
  resetViewerState();
}

struct Family {
  explicit Family(const char *familyName) : name(familyName) {}
  const char *name;
  std::vector<double> ratios;
  int32_t equal = 0;
};

void addRatio(Family *family, double planned, double best) {
  const double ratio = planned / best;
  family->ratios.push_back(ratio);
  if (ratio <= 1.0 + 1e-9) ++family->equal;
}

// The best of the planner's route and LONG_SEARCHES searches with other
// seeds and a dozen times the planner's budget.
double bestKnown(const std::vector<RoutePoint> &points, const RoutePoint *start, double planned) {
  double best = planned;
  for (int32_t seed = 1; seed <= LONG_SEARCHES; ++seed) {
    RouteSearchBudget budget;
    budget.seed = 0x9E3779B97F4A7C15ULL * static_cast<uint64_t>(seed);
    budget.kicksPerPoint = 100;
    budget.restarts = 3;
    best = std::min(best, routeLength(points, start, planRouteBySearch(points, start, budget)));
  }
  return best;
}

void printFamily(const Family &family) {
  std::vector<double> sorted = family.ratios;
  std::sort(sorted.begin(), sorted.end());
  const size_t middle = sorted.size() / 2;
  const double median = sorted.size() % 2 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
  std::printf("%-34s %5d %10.5f %10.5f %6d\n", family.name, static_cast<int>(sorted.size()), sorted.back(), median,
              static_cast<int>(family.equal));
}

}  // namespace

void registerRouteBenchmarks() {
  const std::vector<unsigned char> save = makeFullSave();
  const std::string path = benchTemporaryPath("route-135.b");
  writeBytes(path, save);
  TableRow row;
  row.label = "route 135 markers";
  row.subject = "route/plan135";
  row.reference = "route/loadSavegame135";
  row.unit = RowUnit::MILLISECONDS;
  benchmark::RegisterBenchmark(row.subject.c_str(), planThroughSave, path)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark(row.reference.c_str(), loadSave, path)->Unit(benchmark::kMillisecond);
  addTableRow(row);
}

void printRouteQualityTable() {
  Family exact{"search vs exact, 13-16 points"};
  Family circle{"circle of 135, free / from centre"};
  Family grid{"grid 9 x 15, free / from corner"};
  Family scattered{"scattered 135 vs best known"};
  Family clustered{"clustered 135 vs best known"};
  const RoutePoint corner{0.0, 0.0};
  for (int32_t set = 0; set < SETS_PER_FAMILY; ++set) {
    const RoutePoint start{-1800.0 + 360.0 * set, 1900.0 - 400.0 * set};
    const RoutePoint *from = set % 2 ? &start : nullptr;
    const std::vector<RoutePoint> small = scatteredPoints(13 + set % 4, 500 + set);
    addRatio(&exact, routeLength(small, from, planRouteBySearch(small, from)),
             routeLength(small, from, planRouteExactly(small, from)));
    for (Family *family : {&scattered, &clustered}) {
      const std::vector<RoutePoint> points =
          family == &scattered ? scatteredPoints(MARKERS, 900 + set) : clusteredPoints(MARKERS, 6 + set % 5, 700 + set);
      const double planned = routeLength(points, from, planRoute(points, from));
      addRatio(family, planned, bestKnown(points, from, planned));
    }
  }
  const double radius = 1800.0;
  const std::vector<RoutePoint> ring = circlePoints(MARKERS, radius);
  const double chord = circleChord(MARKERS, radius);
  addRatio(&circle, routeLength(ring, nullptr, planRoute(ring, nullptr)), (MARKERS - 1) * chord);
  addRatio(&circle, routeLength(ring, &corner, planRoute(ring, &corner)), radius + (MARKERS - 1) * chord);
  const std::vector<RoutePoint> lattice = gridPoints(9, 15, 250.0);
  addRatio(&grid, routeLength(lattice, nullptr, planRoute(lattice, nullptr)), (MARKERS - 1) * 250.0);
  addRatio(&grid, routeLength(lattice, &corner, planRoute(lattice, &corner)), (MARKERS - 1) * 250.0);

  std::printf("\n%-34s %5s %10s %10s %6s\n", "route quality (length / best)", "sets", "worst", "median", "equal");
  for (const Family *family : {&exact, &circle, &grid, &scattered, &clustered}) printFamily(*family);
  std::printf("Odd sets start from a given point, even ones anywhere. Best known: the exact program, the\n"
              "known optimum, or the best of the planner and %d searches of 12 times its budget.\n",
              LONG_SEARCHES);
}
