// Drawing frames on the headless OpenGL layer: a full frame with 100 packages
// and 35 rampages beside a frame that only clears and presents, and beside one
// that draws only the map, at 640 x 480 and 1920 x 1080; and the start-up cost
// of initGraphics with the bundled pictures.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "render/resize.h"
#include "app/viewer_state.h"
#include "bench_table.h"
#include "platform/headless/headless.h"
#include "platform/headless/headless_gl.h"
#include "platform/platform.h"
#include "render/frame.h"
#include "render/gl.h"
#include "render/resources.h"

namespace {

// Loads the graphics resources from the bundled pictures. False when a
// picture could not be loaded.
bool initGraphicsWithAssets() {
  headlessClearMessageBoxes();
  initGraphicsFrom(VIEWER_ASSETS_DIR "/font.bmp", VIEWER_ASSETS_DIR "/THmap.bmp");
  const bool loaded = headlessMessageBoxes().empty();
  headlessClearMessageBoxes();
  return loaded;
}

// Markers spread over the map; package heights cycle through all three shapes.
void fillMarkers() {
  resetViewerState();
  viewerState.packages = static_cast<PickupMarker *>(std::malloc(sizeof(PickupMarker) * PACKAGE_CAPACITY));
  viewerState.rampages = static_cast<PickupMarker *>(std::malloc(sizeof(PickupMarker) * RAMPAGE_CAPACITY));
  for (int32_t i = 0; i < PACKAGE_CAPACITY; ++i) {
    const float heights[3] = {4.0f, 12.0f, 30.0f};
    viewerState.packages[i] = PickupMarker{(i % 10) * 380.0f - 1800.0f, (i / 10) * 380.0f - 1800.0f,
                                           heights[i % 3]};
  }
  for (int32_t i = 0; i < RAMPAGE_CAPACITY; ++i) {
    viewerState.rampages[i] = PickupMarker{(i % 7) * 500.0f - 1500.0f, (i / 7) * 700.0f - 1400.0f, 0.0f};
  }
  viewerState.packageCount = PACKAGE_CAPACITY;
  viewerState.rampageCount = RAMPAGE_CAPACITY;
}

// A context of the given size with the program's resources, or an error.
bool prepareContext(benchmark::State &state, int32_t width, int32_t height) {
  if (!headlessCreateGlContext(width, height)) {
    state.SkipWithError(("no OpenGL context: " + headlessGlError()).c_str());
    return false;
  }
  if (!initGraphicsWithAssets()) {
    state.SkipWithError("the bundled pictures could not be loaded from " VIEWER_ASSETS_DIR);
    headlessDestroyGlContext();
    return false;
  }
  resizeViewport(width, height);
  return true;
}

void fullFrame(benchmark::State &state, int32_t width, int32_t height) {
  fillMarkers();
  if (prepareContext(state, width, height)) {
    renderFrame();  // the first frame draws its panel opaque; time the steady ones
    for (auto _ : state) renderFrame();
    headlessDestroyGlContext();
  }
  resetViewerState();
}

void clearAndSwap(benchmark::State &state, int32_t width, int32_t height) {
  if (!prepareContext(state, width, height)) return;
  for (auto _ : state) {
    glClearColor(0.05f, 0.05f, 0.1f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    platformSwapBuffers();
  }
  headlessDestroyGlContext();
  resetViewerState();
}

// The least frame that shows the map: clear, the textured map square as
// renderFrame draws it, present. Beside it the cost of markers and overlay
// shows apart from the cost of texturing the window.
void mapOnly(benchmark::State &state, int32_t width, int32_t height) {
  if (!prepareContext(state, width, height)) return;
  for (auto _ : state) {
    glClearColor(0.05f, 0.05f, 0.1f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glColor4f(1, 1, 1, 1);
    glTranslatef(viewerState.cameraX, viewerState.cameraY, -viewerState.zoom);
    glBindTexture(GL_TEXTURE_2D, viewerState.mapTexture);
    glEnable(GL_TEXTURE_2D);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0);
    glVertex2f(-1, -1);
    glTexCoord2f(0, 1);
    glVertex2f(-1, 1);
    glTexCoord2f(1, 1);
    glVertex2f(1, 1);
    glTexCoord2f(1, 0);
    glVertex2f(1, -1);
    glEnd();
    platformSwapBuffers();
  }
  headlessDestroyGlContext();
  resetViewerState();
}

// Each iteration a fresh context (not timed), then initGraphics and the
// finish of every upload it started (timed).
void startUp(benchmark::State &state) {
  for (auto _ : state) {
    if (!headlessCreateGlContext(640, 480)) {
      state.SkipWithError(("no OpenGL context: " + headlessGlError()).c_str());
      break;
    }
    auto start = std::chrono::steady_clock::now();
    bool loaded = initGraphicsWithAssets();
    glFinish();
    auto end = std::chrono::steady_clock::now();
    headlessDestroyGlContext();
    if (!loaded) {
      state.SkipWithError("the bundled pictures could not be loaded from " VIEWER_ASSETS_DIR);
      break;
    }
    state.SetIterationTime(std::chrono::duration<double>(end - start).count());
  }
  resetViewerState();
}

void addFrameRows(int32_t width, int32_t height) {
  std::string size = std::to_string(width) + "x" + std::to_string(height);
  TableRow row;
  row.label = "renderFrame " + size;
  row.subject = "frame/" + size + "/renderFrame";
  row.reference = "frame/" + size + "/clear+swap";
  row.unit = RowUnit::FRAMES_PER_SECOND;
  row.threadTime = false;
  row.goal = 0.5;
  benchmark::RegisterBenchmark(row.subject.c_str(), fullFrame, width, height)
      ->Unit(benchmark::kMillisecond)->UseRealTime();
  benchmark::RegisterBenchmark(row.reference.c_str(), clearAndSwap, width, height)
      ->Unit(benchmark::kMillisecond)->UseRealTime();
  addTableRow(row);
  TableRow map = row;
  map.label = "  beside map-only " + size;
  map.reference = "frame/" + size + "/map-only";
  map.goal = 0;
  benchmark::RegisterBenchmark(map.reference.c_str(), mapOnly, width, height)
      ->Unit(benchmark::kMillisecond)->UseRealTime();
  addTableRow(map);
}

}  // namespace

void registerFrameBenchmarks() {
  addFrameRows(640, 480);
  addFrameRows(1920, 1080);
  TableRow row;
  row.label = "initGraphics";
  row.subject = "frame/initGraphics";
  row.unit = RowUnit::MILLISECONDS;
  row.threadTime = false;
  benchmark::RegisterBenchmark(row.subject.c_str(), startUp)->Unit(benchmark::kMillisecond)->UseManualTime();
  addTableRow(row);
}
