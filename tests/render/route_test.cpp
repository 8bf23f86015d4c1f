// Pixel tests of the route line of 'R' and the kinds of 'K'.
#include <cmath>
#include <set>
#include <utility>
#include <vector>

#include "app/collecting_route.h"
#include "render/marker_palette.h"
#include "render/render_fixture.h"
#include "route/route_planner.h"

namespace {

// The standard palette's route colour.
bool isRouteColour(Rgb colour) {
  const float *line = markerColours(PALETTE_STANDARD).routeLine;
  return near(colour, Rgb{static_cast<int>(line[0] * 255.0f + 0.5f), static_cast<int>(line[1] * 255.0f + 0.5f),
                          static_cast<int>(line[2] * 255.0f + 0.5f)},
              6);
}

PixelPoint pixelOf(double x, double y) { return projectScene(x * 0.0005, y * 0.0005, 4.0, 800, 480); }

double distanceToSegment(double x, double y, PixelPoint a, PixelPoint b) {
  const double dx = b.x - a.x;
  const double dy = b.y - a.y;
  double t = ((x - a.x) * dx + (y - a.y) * dy) / (dx * dx + dy * dy);
  t = std::fmax(0.0, std::fmin(1.0, t));
  return std::hypot(x - (a.x + t * dx), y - (a.y + t * dy));
}

// The distinct route-coloured pixels on the line through (x, y) across the
// direction (ux, uy), within `reach` pixels either side.
int32_t widthAcross(const Frame &frame, double x, double y, double ux, double uy, int32_t reach) {
  std::set<std::pair<int32_t, int32_t>> seen;
  for (double k = -reach; k <= reach; k += 0.25) {
    const int32_t px = static_cast<int32_t>(x - uy * k), py = static_cast<int32_t>(y + ux * k);
    if (isRouteColour(frame.at(px, py))) seen.insert({px, py});
  }
  return static_cast<int32_t>(seen.size());
}

// The first pixel out from (x, y) along (dx, dy) that is not of the route's colour.
Rgb pastTheLine(const Frame &frame, double x, double y, double dx, double dy) {
  for (double k = 0.25; k < 6.0; k += 0.25) {
    const Rgb colour = frame.at(static_cast<int32_t>(x + dx * k), static_cast<int32_t>(y + dy * k));
    if (!isRouteColour(colour)) return colour;
  }
  return Rgb{255, 255, 255};
}

bool isDark(Rgb colour) { return colour.r < 48 && colour.g < 48 && colour.b < 48; }

// The line runs from a ring at its start through the stops in order, 2 pixels
// wide with a dark edge, an arrowhead at the middle of each leg pointing on,
// and the markers over it.
TEST_F(RenderTest, RouteIsAnEdgedLineWithAStartRingAndArrowheads) {
  writePictures();
  ASSERT_TRUE(startViewer(800, 480));
  setPackages({{1000.0f, 600.0f, 12.0f}, {-1200.0f, -800.0f, 12.0f}});
  setRampages({{0.0f, 900.0f, 0.0f}});
  const Frame plain = drawFrame();
  EXPECT_FALSE(findPixels(plain, 0, 0, 799, 479, isRouteColour).found);

  const RoutePoint from{-1600.0, 0.0};
  showRouteFrom(&from);
  ASSERT_EQ(viewerState.routeStopCount, 3);
  const Frame frame = drawFrame();

  std::vector<PixelPoint> corners = {pixelOf(-1600.0, 0.0)};
  for (int32_t i = 0; i < viewerState.routeStopCount; ++i) {
    corners.push_back(pixelOf(viewerState.routeStops[i].x, viewerState.routeStops[i].y));
  }
  // Nothing of the route's colour strays from its legs, their arrowheads and
  // the start ring.
  for (int32_t y = 0; y < 480; ++y) {
    for (int32_t x = 0; x < 632; ++x) {
      if (!isRouteColour(frame.at(x, y))) continue;
      double nearest = std::hypot(x + 0.5 - corners[0].x, y + 0.5 - corners[0].y) - 7.0;
      for (size_t i = 1; i < corners.size(); ++i) {
        const PixelPoint middle{(corners[i - 1].x + corners[i].x) / 2, (corners[i - 1].y + corners[i].y) / 2};
        nearest = std::fmin(nearest, std::hypot(x + 0.5 - middle.x, y + 0.5 - middle.y) - 6.0);
        nearest = std::fmin(nearest, distanceToSegment(x + 0.5, y + 0.5, corners[i - 1], corners[i]));
      }
      EXPECT_LE(nearest, 1.5) << "route-coloured pixel at " << x << ", " << y;
    }
  }
  for (size_t i = 1; i < corners.size(); ++i) {
    SCOPED_TRACE(testing::Message() << "leg " << i);
    const double dx = corners[i].x - corners[i - 1].x, dy = corners[i].y - corners[i - 1].y;
    const double length = std::hypot(dx, dy);
    const double ux = dx / length, uy = dy / length;
    for (double t : {0.25, 0.75}) {
      const double x = corners[i - 1].x + t * dx, y = corners[i - 1].y + t * dy;
      const int32_t width = widthAcross(frame, x, y, ux, uy, 6);
      EXPECT_GE(width, 2);
      EXPECT_LE(width, 4);
      // Dark on both sides of the line, just past its colour.
      for (double side : {-1.0, 1.0}) {
        const Rgb edge = pastTheLine(frame, x, y, -uy * side, ux * side);
        EXPECT_PRED1(isDark, edge) << describe(edge);
      }
    }
    // The arrowhead: wide behind the leg's middle, narrowing towards the next stop.
    const double mx = corners[i - 1].x + dx / 2, my = corners[i - 1].y + dy / 2;
    const int32_t behind = widthAcross(frame, mx - ux * 3, my - uy * 3, ux, uy, 8);
    const int32_t ahead = widthAcross(frame, mx + ux * 3, my + uy * 3, ux, uy, 8);
    EXPECT_GE(behind, 6);
    EXPECT_LT(ahead, behind);
  }
  // The start ring: its colour all round, the map inside it.
  const PixelPoint start = corners[0];
  for (const PixelPoint &offset : {PixelPoint{6.5, 0}, PixelPoint{-6.5, 0}, PixelPoint{0, 6.5}, PixelPoint{0, -6.5}}) {
    const Rgb ring = frame.at(static_cast<int32_t>(start.x + offset.x), static_cast<int32_t>(start.y + offset.y));
    EXPECT_PRED1(isRouteColour, ring) << describe(ring);
  }
  const Rgb inside = frame.at(static_cast<int32_t>(start.x), static_cast<int32_t>(start.y));
  EXPECT_PRED3(near, inside, plain.at(static_cast<int32_t>(start.x), static_cast<int32_t>(start.y)), 2)
      << describe(inside);
  const PixelPoint package = pixelOf(1000.0, 600.0);
  const PixelPoint rampage = pixelOf(0.0, 900.0);
  EXPECT_PRED1(isPackageRed, frame.at(static_cast<int32_t>(package.x), static_cast<int32_t>(package.y)));
  EXPECT_PRED1(isRampageGreen, frame.at(static_cast<int32_t>(rampage.x), static_cast<int32_t>(rampage.y)));

  // Rampages only: no package is drawn, and the line ends at the rampage.
  viewerState.shownKinds = SHOW_PACKAGES_ONLY;
  cycleShownKinds();
  const Frame rampages = drawFrame();
  EXPECT_FALSE(findPixels(rampages, 0, 0, 631, 479, isPackageRed).found);
  EXPECT_TRUE(findPixels(rampages, 0, 0, 631, 479, isRampageGreen).found);
  const PixelPoint middle = {(corners[0].x + rampage.x) / 2, (corners[0].y + rampage.y) / 2};
  EXPECT_TRUE(findPixels(rampages, static_cast<int32_t>(middle.x) - 1, static_cast<int32_t>(middle.y) - 1,
                         static_cast<int32_t>(middle.x) + 1, static_cast<int32_t>(middle.y) + 1, isRouteColour)
                  .found);
}

// The next five stops carry their numbers, each on a dark square up and to
// the right of its marker; the stops after them carry none.
TEST_F(RenderTest, NextFiveStopsAreNumberedBesideTheirMarkers) {
  writePictures();
  ASSERT_TRUE(startViewer(800, 480));
  setPackages({{-1250.0f, 0.0f, 12.0f}, {-750.0f, 0.0f, 12.0f}, {-250.0f, 0.0f, 12.0f}, {250.0f, 0.0f, 12.0f},
               {750.0f, 0.0f, 12.0f}, {1250.0f, 0.0f, 12.0f}});
  const Frame plain = drawFrame();
  const RoutePoint from{-1800.0, 0.0};
  showRouteFrom(&from);
  ASSERT_EQ(viewerState.routeStopCount, 6);
  const Frame frame = drawFrame();
  for (int32_t i = 0; i < 6; ++i) {
    SCOPED_TRACE(testing::Message() << "stop " << i + 1);
    const PixelPoint stop = pixelOf(viewerState.routeStops[i].x, viewerState.routeStops[i].y);
    const int32_t x = static_cast<int32_t>(std::floor(stop.x)) + 6;
    const int32_t y = static_cast<int32_t>(std::floor(stop.y)) - 22;
    if (i == 5) {
      EXPECT_PRED3(near, frame.at(x + 8, y + 8), plain.at(x + 8, y + 8), 2);
      continue;
    }
    const char digit[2] = {static_cast<char>('1' + i), '\0'};
    expectText(frame, x, y, digit, [&](int32_t px, int32_t py) {
      const Rgb map = plain.at(px, py);
      return Rgb{map.r / 4, map.g / 4, map.b / 4};
    });
  }
}

}  // namespace
