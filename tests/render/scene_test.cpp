// Pixel tests of the scene: background, map square and markers.
#include <cmath>
#include <limits>

#include "app/collecting_route.h"
#include "render/marker_palette.h"
#include "render/render_fixture.h"

namespace {

bool isBackground(Rgb colour) { return near(colour, BACKGROUND_RGB, 1); }

TEST_F(RenderTest, MapSquareIsCentredUprightAndAbout093OfTheHeightAtStart) {
  writePictures();
  ASSERT_TRUE(startViewer(800, 480));
  const Frame frame = drawFrame();

  EXPECT_PRED1(isBackground, frame.at(5, 5)) << describe(frame.at(5, 5));
  EXPECT_PRED1(isBackground, frame.at(150, 470)) << describe(frame.at(150, 470));

  // The panel starts at column 633; left of it there is no overlay.
  const PixelBox map = findPixels(frame, 0, 0, 630, 479, [](Rgb c) { return !near(c, BACKGROUND_RGB, 8); });
  ASSERT_TRUE(map.found);
  const PixelPoint topLeft = projectScene(-1, 1, 4.0, 800, 480);
  const PixelPoint bottomRight = projectScene(1, -1, 4.0, 800, 480);
  EXPECT_NEAR(map.left, topLeft.x, 1.0);
  EXPECT_NEAR(map.right + 1, bottomRight.x, 1.0);
  EXPECT_NEAR(map.top, topLeft.y, 1.0);
  EXPECT_NEAR(map.bottom + 1, bottomRight.y, 1.0);
  EXPECT_NEAR((map.bottom + 1 - map.top) / 480.0, 0.933, 0.005);
  EXPECT_NEAR(map.centreX(), 400.0, 1.0);
  EXPECT_NEAR(map.centreY(), 240.0, 1.0);

  // The picture's top rows show at the top: its bottom rows are loaded first.
  EXPECT_PRED3(near, frame.at(300, 140), rgbOf(MAP_TOP_LEFT), 2) << describe(frame.at(300, 140));
  EXPECT_PRED3(near, frame.at(500, 140), rgbOf(MAP_TOP_RIGHT), 2) << describe(frame.at(500, 140));
  EXPECT_PRED3(near, frame.at(300, 340), rgbOf(MAP_BOTTOM_LEFT), 2) << describe(frame.at(300, 340));
  EXPECT_PRED3(near, frame.at(500, 340), rgbOf(MAP_BOTTOM_RIGHT), 2) << describe(frame.at(500, 340));
}

// One package at a time, each with a camera that brings it into view at zoom
// 2; the centre of its triangle is where the projection puts it.
TEST_F(RenderTest, MarkersLandWhereTheProjectionPutsThem) {
  writePictures();
  ASSERT_TRUE(startViewer(800, 480));
  viewerState.zoom = 2.0f;
  struct Case {
    float x, y, cameraX, cameraY;
  };
  const Case cases[] = {
      {2000, 2000, -0.5f, -0.5f},  // the map's top-right corner
      {0, 1000, -0.5f, -0.5f},
      {1600, 1600, -0.5f, -0.5f},
      {-1500, -300, 0.5f, 0.2f},
      {-2400, 0, 0.5f, 0.0f},  // beyond the map, over the background
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(testing::Message() << "package at (" << c.x << ", " << c.y << ")");
    viewerState.cameraX = c.cameraX;
    viewerState.cameraY = c.cameraY;
    setPackages({});
    const Frame plain = drawFrame();
    setPackages({{c.x, c.y, 0.0f}});
    const Frame marked = drawFrame();

    const PixelPoint expected = projectScene(c.x * 0.0005 + c.cameraX, c.y * 0.0005 + c.cameraY, 2.0, 800, 480);
    const PixelBox marker = findPixels(marked, 0, 0, 630, 479, isPackageRed);
    ASSERT_TRUE(marker.found);
    EXPECT_NEAR(marker.centreX(), expected.x, 1.0);
    EXPECT_NEAR(marker.centreY(), expected.y, 1.0);

    if (c.x == 2000) {
      const PixelBox map = findPixels(plain, 0, 0, 630, 479, [](Rgb v) { return !near(v, BACKGROUND_RGB, 8); });
      ASSERT_TRUE(map.found);
      EXPECT_NEAR(marker.centreX(), map.right + 1, 1.0);
      EXPECT_NEAR(marker.centreY(), map.top, 1.0);
    }
    if (c.x == -2400) {
      const PixelPoint mapLeft = projectScene(-1 + c.cameraX, 0, 2.0, 800, 480);
      EXPECT_LT(marker.right, mapLeft.x);
      EXPECT_PRED1(isBackground, marked.at(marker.left - 2, static_cast<int32_t>(expected.y)));
    }
  }
}

enum class Shape { DownTriangle, Square, UpTriangle, Unknown };

const char *shapeName(Shape shape) {
  switch (shape) {
    case Shape::DownTriangle: return "down triangle";
    case Shape::Square: return "square";
    case Shape::UpTriangle: return "up triangle";
    default: return "unknown";
  }
}

// Tells the shapes apart by the width of the top and bottom rows of the
// marker: a down triangle is wide at the top, an up triangle at the bottom.
template <typename Predicate>
Shape shapeAround(const Frame &frame, PixelPoint centre, Predicate colour) {
  const int32_t cx = static_cast<int32_t>(centre.x);
  const int32_t cy = static_cast<int32_t>(centre.y);
  const PixelBox box = findPixels(frame, cx - 14, cy - 14, cx + 14, cy + 14, colour);
  if (!box.found || box.bottom - box.top < 10) return Shape::Unknown;
  auto rowWidth = [&](int32_t y) {
    int32_t width = 0;
    for (int32_t x = box.left; x <= box.right; ++x) width += colour(frame.at(x, y)) ? 1 : 0;
    return width;
  };
  const int32_t top = rowWidth(box.top + 1);
  const int32_t bottom = rowWidth(box.bottom - 1);
  if (top > bottom + 6) return Shape::DownTriangle;
  if (bottom > top + 6) return Shape::UpTriangle;
  if (std::abs(top - bottom) <= 2 && top >= 10) return Shape::Square;
  return Shape::Unknown;
}

TEST_F(RenderTest, PackageShapeFollowsItsHeight) {
  writePictures();
  ASSERT_TRUE(startViewer(800, 480));
  viewerState.zoom = 1.0f;  // markers about 18 pixels across
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float heights[] = {9.999f, 10.0f, 15.0f, 15.001f, nan};
  const Shape shapes[] = {Shape::DownTriangle, Shape::Square, Shape::Square, Shape::UpTriangle,
                          Shape::DownTriangle};
  std::vector<PickupMarker> packages;
  for (int i = 0; i < 5; ++i) packages.push_back({-400.0f + 200.0f * i, 0.0f, heights[i]});
  setPackages(packages);
  const Frame frame = drawFrame();
  for (int i = 0; i < 5; ++i) {
    const PixelPoint at = projectScene(packages[i].x * 0.0005, 0, 1.0, 800, 480);
    EXPECT_STREQ(shapeName(shapeAround(frame, at, isPackageRed)), shapeName(shapes[i]))
        << "z = " << heights[i];
  }
}

// Rampages are green down triangles at any height and come after the
// packages, so a rampage covers a package at the same place.
TEST_F(RenderTest, RampagesAreGreenDownTrianglesDrawnOverPackages) {
  writePictures();
  ASSERT_TRUE(startViewer(800, 480));
  viewerState.zoom = 1.0f;
  setPackages({{-300.0f, 0.0f, 12.0f}});
  setRampages({{-300.0f, 0.0f, 12.0f}, {300.0f, 0.0f, 20.0f}, {0.0f, 0.0f, 5.0f}});
  const Frame frame = drawFrame();

  for (float x : {-300.0f, 300.0f, 0.0f}) {
    const PixelPoint at = projectScene(x * 0.0005, 0, 1.0, 800, 480);
    EXPECT_STREQ(shapeName(shapeAround(frame, at, isRampageGreen)), shapeName(Shape::DownTriangle))
        << "rampage at x = " << x;
  }
  // Inside the triangle the later rampage shows; the square's lower corners,
  // which the triangle leaves free, show the package beneath.
  const PixelPoint middle = projectScene(-0.15, 0.004, 1.0, 800, 480);
  const PixelPoint corner = projectScene(-0.15 - 0.0065, -0.0065, 1.0, 800, 480);
  EXPECT_PRED1(isRampageGreen, frame.at(static_cast<int32_t>(middle.x), static_cast<int32_t>(middle.y)));
  EXPECT_PRED1(isPackageRed, frame.at(static_cast<int32_t>(corner.x), static_cast<int32_t>(corner.y)));
}

// The page draws the markers and the route in a few batched calls: outside
// the compact layout, the very pixels the desktop draws one by one, in either
// palette, the collected outlines and every shape included.
TEST_F(RenderTest, ThePagesBatchedMarkersAreTheDesktopsPixels) {
  writePictures();
  ASSERT_TRUE(startViewer(800, 480));
  viewerState.compactAllowed = 1;
  viewerState.zoom = 1.5f;
  setPackages({{-400.0f, 100.0f, 5.0f}, {-100.0f, -200.0f, 12.0f}, {200.0f, 300.0f, 40.0f}});
  setRampages({{500.0f, -100.0f, 0.0f}, {-100.0f, -200.0f, 3.0f}});
  viewerState.collected[0] = {{-300.0f, 150.0f, 12.0f}, MARKER_PACKAGE, 0};
  viewerState.collected[1] = {{300.0f, -150.0f, 0.0f}, MARKER_RAMPAGE, 1};
  viewerState.collected[2] = {{100.0f, 100.0f, 30.0f}, MARKER_PACKAGE, 2};
  viewerState.collectedCount = 3;
  showRouteFrom(nullptr);
  ASSERT_EQ(viewerState.routeStopCount, 5);
  for (const int32_t palette : {PALETTE_STANDARD, PALETTE_SAFE}) {
    viewerState.markerPalette = palette;
    viewerState.pageDrawing = 0;
    drawFrame();
    const Frame desktop = drawFrame();
    viewerState.pageDrawing = 1;
    const Frame page = drawFrame();
    ASSERT_EQ(page.rgb.size(), desktop.rgb.size());
    size_t differing = 0;
    for (size_t i = 0; i < page.rgb.size(); ++i) differing += page.rgb[i] != desktop.rgb[i];
    EXPECT_EQ(differing, 0u) << "palette " << palette;
  }
}

// Collected markers are hollow outlines at a third of their kind's
// brightness, in either palette, under the live ones; 'C' hides them, and so
// does 'K' for a kind it hides.
TEST_F(RenderTest, CollectedOutlinesAreDimUnderTheLiveOnesAndFollowCAndK) {
  writePictures();
  ASSERT_TRUE(startViewer(800, 480));
  struct Case {
    int32_t palette;
    Rgb package, rampage;
  };
  const Case cases[] = {{PALETTE_STANDARD, {255, 0, 0}, {0, 255, 0}}, {PALETTE_SAFE, {213, 94, 0}, {86, 180, 233}}};
  const PixelPoint packageAt = projectScene(-0.15, 0.075, 1.0, 800, 480);
  const PixelPoint rampageAt = projectScene(0.15, -0.075, 1.0, 800, 480);
  for (const Case &c : cases) {
    SCOPED_TRACE(testing::Message() << "palette " << c.palette);
    viewerState.zoom = 1.0f;
    viewerState.markerPalette = c.palette;
    viewerState.collected[0] = {{-300.0f, 150.0f, 12.0f}, MARKER_PACKAGE, 0};
    viewerState.collected[1] = {{300.0f, -150.0f, 0.0f}, MARKER_RAMPAGE, 1};
    viewerState.collected[2] = {{300.0f, 150.0f, 12.0f}, MARKER_PACKAGE, 2};
    viewerState.collectedCount = 3;
    setPackages({{-300.0f, 0.0f, 12.0f}});
    setRampages({{300.0f, 150.0f, 0.0f}});
    const auto third = [](Rgb full) {
      return Rgb{static_cast<uint8_t>(full.r / 3), static_cast<uint8_t>(full.g / 3), static_cast<uint8_t>(full.b / 3)};
    };
    const auto outlineAround = [&](const Frame &frame, PixelPoint at, Rgb colour) {
      const int32_t x = static_cast<int32_t>(at.x), y = static_cast<int32_t>(at.y);
      return findPixels(frame, x - 14, y - 14, x + 14, y + 14, [&](Rgb p) { return near(p, colour, 2); });
    };

    viewerState.showCollected = 1;
    viewerState.shownKinds = SHOW_BOTH_KINDS;
    Frame frame = drawFrame();
    const PixelBox outline = outlineAround(frame, packageAt, third(c.package));
    ASSERT_TRUE(outline.found);
    EXPECT_NEAR(outline.right - outline.left, 14, 2);
    EXPECT_NEAR(outline.bottom - outline.top, 14, 2);
    const int32_t cx = static_cast<int32_t>(packageAt.x), cy = static_cast<int32_t>(packageAt.y);
    EXPECT_PRED3(near, frame.at(cx, cy), rgbOf(MAP_TOP_LEFT), 2) << describe(frame.at(cx, cy));
    EXPECT_TRUE(outlineAround(frame, rampageAt, third(c.rampage)).found);
    // The square's top edge lies inside the live triangle, full colour there.
    const PixelPoint covered = projectScene(0.15, 0.075 + 0.008, 1.0, 800, 480);
    const Rgb live = frame.at(static_cast<int32_t>(covered.x), static_cast<int32_t>(covered.y));
    EXPECT_PRED3(near, live, c.rampage, 1) << describe(live);
    const PixelPoint package = projectScene(-0.15, 0.0, 1.0, 800, 480);
    const Rgb square = frame.at(static_cast<int32_t>(package.x), static_cast<int32_t>(package.y));
    EXPECT_PRED3(near, square, c.package, 1) << describe(square);

    viewerState.shownKinds = SHOW_RAMPAGES_ONLY;
    frame = drawFrame();
    EXPECT_FALSE(outlineAround(frame, packageAt, third(c.package)).found);
    EXPECT_TRUE(outlineAround(frame, rampageAt, third(c.rampage)).found);

    viewerState.shownKinds = SHOW_BOTH_KINDS;
    viewerState.showCollected = 0;
    frame = drawFrame();
    EXPECT_FALSE(outlineAround(frame, packageAt, third(c.package)).found);
    EXPECT_FALSE(outlineAround(frame, rampageAt, third(c.rampage)).found);
  }
}

}  // namespace
