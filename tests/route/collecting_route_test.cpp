// The route and kinds of the viewer: markers that cannot be placed, the start
// under the pointer, 'K', a reload after markers were collected, an opened
// save, and the information line's place on the route.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

#include "app/collecting_route.h"
#include "app/map_point.h"
#include "app/viewer_state.h"
#include "route/route_planner.h"
#include "save/savegame.h"

namespace {

constexpr float NOT_A_NUMBER = std::numeric_limits<float>::quiet_NaN();
constexpr float INFINITE = std::numeric_limits<float>::infinity();

// Fresh malloc'd lists, as the reader makes them.
SavegameMarkers makeMarkers(const std::vector<PickupMarker> &packages, const std::vector<PickupMarker> &rampages) {
  SavegameMarkers markers;
  markers.packages = static_cast<PickupMarker *>(std::malloc(sizeof(PickupMarker) * PACKAGE_CAPACITY));
  markers.rampages = static_cast<PickupMarker *>(std::malloc(sizeof(PickupMarker) * RAMPAGE_CAPACITY));
  for (const PickupMarker &marker : packages) markers.packages[markers.packageCount++] = marker;
  for (const PickupMarker &marker : rampages) markers.rampages[markers.rampageCount++] = marker;
  return markers;
}

std::vector<int32_t> stopIndices(int32_t kind) {
  std::vector<int32_t> indices;
  for (int32_t i = 0; i < viewerState.routeStopCount; ++i) {
    if (viewerState.routeStops[i].kind == kind) indices.push_back(viewerState.routeStops[i].index);
  }
  return indices;
}

class CollectingRoute : public ::testing::Test {
 protected:
  void SetUp() override { resetViewerState(); }
  void TearDown() override { resetViewerState(); }
};

TEST_F(CollectingRoute, MarkersWithoutFiniteXOrYAreLeftOffInListOrder) {
  const std::vector<PickupMarker> packages = {
      {0, 0, NOT_A_NUMBER}, {NOT_A_NUMBER, 5, 1}, {30, 0, 2}, {4, INFINITE, 3}, {10, 0, 4}};
  const std::vector<PickupMarker> rampages = {{-INFINITE, 0, 0}, {20, 0, 0}};
  RouteMarkers markers{packages.data(), 5, rampages.data(), 2};
  const RoutePoint start{-5, 0};
  const MarkerRoute route = planMarkerRoute(markers, &start);
  ASSERT_EQ(route.stops.size(), 4u);
  const int32_t expected[4][2] = {{MARKER_PACKAGE, 0}, {MARKER_PACKAGE, 4}, {MARKER_RAMPAGE, 1}, {MARKER_PACKAGE, 2}};
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(route.stops[i].kind, expected[i][0]);
    EXPECT_EQ(route.stops[i].index, expected[i][1]);
  }
  ASSERT_EQ(route.unplaced.size(), 3u);
  EXPECT_EQ(route.unplaced[0].index, 1);
  EXPECT_EQ(route.unplaced[1].index, 3);
  EXPECT_EQ(route.unplaced[2].kind, MARKER_RAMPAGE);
}

// 'R' starts at the map point under the pointer and goes through the kinds
// shown; 'K' steps both, packages, rampages, both; 'R' again hides it.
TEST_F(CollectingRoute, StartsUnderThePointerAndFollowsTheKindsShown) {
  adoptSavegameMarkers(makeMarkers({{1000, 0, 0}, {200, 0, 0}, {600, 0, 0}}, {{400, 0, 0}}));
  viewerState.mouseX = 320;
  viewerState.mouseY = 240;
  toggleRoute();
  ASSERT_EQ(viewerState.showRoute, 1);
  double x, y;
  savegamePointAtPixel(320, 240, &x, &y);
  EXPECT_EQ(viewerState.routeStartX, x);
  EXPECT_EQ(viewerState.routeStartY, y);
  EXPECT_EQ(stopIndices(MARKER_PACKAGE), (std::vector<int32_t>{1, 2, 0}));
  EXPECT_EQ(stopIndices(MARKER_RAMPAGE), std::vector<int32_t>{0});
  EXPECT_EQ(routeStopNumber(MARKER_RAMPAGE, 0), 2);

  cycleShownKinds();
  EXPECT_FALSE(rampagesShown());
  EXPECT_EQ(viewerState.routeStopCount, 3);
  cycleShownKinds();
  EXPECT_FALSE(packagesShown());
  EXPECT_EQ(stopIndices(MARKER_RAMPAGE), std::vector<int32_t>{0});
  EXPECT_EQ(viewerState.routeStopCount, 1);
  cycleShownKinds();
  EXPECT_TRUE(packagesShown() && rampagesShown());
  EXPECT_EQ(viewerState.routeStopCount, 4);

  toggleRoute();
  EXPECT_EQ(viewerState.showRoute, 0);
  EXPECT_EQ(routeStopNumber(MARKER_RAMPAGE, 0), 0);
}

// The player collected the first two stops: the route starts again at the
// second, the later of them on the old route. A save opened afresh keeps
// the start.
TEST_F(CollectingRoute, ReloadStartsAtTheLatestCollectedStopAndAnOpenedSaveKeepsTheStart) {
  adoptSavegameMarkers(makeMarkers({{900, 0, 1}, {100, 0, 2}, {300, 0, 3}, {600, 0, 4}}, {}));
  viewerState.showRoute = 1;
  viewerState.routeStartX = 0;
  viewerState.routeStartY = 0;
  routeAfterOpen();
  ASSERT_EQ(stopIndices(MARKER_PACKAGE), (std::vector<int32_t>{1, 2, 3, 0}));

  // The same position with another height is another marker; it is gone.
  SavegameMarkers reloaded = makeMarkers({{900, 0, 1}, {600, 0, 4}, {100, 0, 7}}, {});
  routeBeforeReload(reloaded);
  adoptSavegameMarkers(reloaded);
  EXPECT_EQ(viewerState.routeStartX, 300.0);
  EXPECT_EQ(stopIndices(MARKER_PACKAGE), (std::vector<int32_t>{2, 1, 0}));

  // Nothing gone: the start stays.
  SavegameMarkers same = makeMarkers({{900, 0, 1}, {600, 0, 4}, {100, 0, 7}}, {});
  routeBeforeReload(same);
  adoptSavegameMarkers(same);
  EXPECT_EQ(viewerState.routeStartX, 300.0);

  adoptSavegameMarkers(makeMarkers({{-500, 0, 0}, {250, 0, 0}}, {}));
  routeAfterOpen();
  EXPECT_EQ(viewerState.routeStartX, 300.0);
  EXPECT_EQ(stopIndices(MARKER_PACKAGE), (std::vector<int32_t>{1, 0}));
}

// "of" counts the stops: a marker that cannot be placed is not one.
TEST_F(CollectingRoute, InformationLineTellsTheStopOnlyOfAMarkerOnTheRoute) {
  adoptSavegameMarkers(makeMarkers({{0, 0, 5}, {800, 0, 5}, {NOT_A_NUMBER, 0, 5}}, {}));
  double pixelX, pixelY;
  pixelOfSavegamePoint(800, 0, &pixelX, &pixelY);
  viewerState.mouseX = static_cast<int32_t>(pixelX);
  viewerState.mouseY = static_cast<int32_t>(pixelY);
  char lines[INFO_LINE_COUNT][INFO_LINE_SIZE];
  ASSERT_EQ(composeInfoLines(lines), 2);
  EXPECT_STREQ(lines[1], "package 1: 800.0, 0.0, 5.0");

  viewerState.showRoute = 1;
  viewerState.routeStartX = -100;
  routeAfterOpen();
  ASSERT_EQ(composeInfoLines(lines), 2);
  EXPECT_STREQ(lines[1], "package 1: 800.0, 0.0, 5.0, stop 2 of 2");

  viewerState.shownKinds = SHOW_RAMPAGES_ONLY;  // a marker not drawn is not named
  EXPECT_EQ(composeInfoLines(lines), 1);
}

}  // namespace
