// Pixel tests of the route line of 'R' and the kinds of 'K'.
#include <cmath>
#include <vector>

#include "app/collecting_route.h"
#include "render/marker_palette.h"
#include "render/render_fixture.h"

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

// The line runs from the start through the stops in order: every pixel of
// its colour lies on one of its legs, every leg is drawn along its length, and
// the markers stand over it.
TEST_F(RenderTest, RouteLineJoinsTheStartAndTheStopsUnderTheMarkers) {
  writePictures();
  ASSERT_TRUE(startViewer(800, 480));
  setPackages({{1000.0f, 600.0f, 12.0f}, {-1200.0f, -800.0f, 12.0f}});
  setRampages({{0.0f, 900.0f, 0.0f}});
  const Frame plain = drawFrame();
  EXPECT_FALSE(findPixels(plain, 0, 0, 799, 479, isRouteColour).found);

  viewerState.showRoute = 1;
  viewerState.routeStartX = -1600.0;
  viewerState.routeStartY = 0.0;
  routeAfterOpen();
  ASSERT_EQ(viewerState.routeStopCount, 3);
  const Frame frame = drawFrame();

  std::vector<PixelPoint> corners = {pixelOf(-1600.0, 0.0)};
  for (int32_t i = 0; i < viewerState.routeStopCount; ++i) {
    corners.push_back(pixelOf(viewerState.routeStops[i].x, viewerState.routeStops[i].y));
  }
  int32_t coloured = 0;
  for (int32_t y = 0; y < 480; ++y) {
    for (int32_t x = 0; x < 632; ++x) {
      if (!isRouteColour(frame.at(x, y))) continue;
      ++coloured;
      double nearest = 1e9;
      for (size_t i = 1; i < corners.size(); ++i) {
        nearest = std::fmin(nearest, distanceToSegment(x + 0.5, y + 0.5, corners[i - 1], corners[i]));
      }
      EXPECT_LE(nearest, 1.5) << "route-coloured pixel at " << x << ", " << y;
    }
  }
  for (size_t i = 1; i < corners.size(); ++i) {
    for (double t : {0.2, 0.5, 0.8}) {
      const double x = corners[i - 1].x + t * (corners[i].x - corners[i - 1].x);
      const double y = corners[i - 1].y + t * (corners[i].y - corners[i - 1].y);
      const int32_t left = static_cast<int32_t>(x) - 1;
      const int32_t top = static_cast<int32_t>(y) - 1;
      EXPECT_TRUE(findPixels(frame, left, top, left + 2, top + 2, isRouteColour).found)
          << "leg " << i << " not drawn near " << x << ", " << y;
    }
  }
  EXPECT_GT(coloured, 100);
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

}  // namespace
