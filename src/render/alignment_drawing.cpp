// Drawing the player's own picture of the map (see alignment_drawing.h).
#include "render/alignment_drawing.h"

#include <cmath>
#include <string>

#include "app/map_alignment.h"
#include "app/map_point.h"
#include "app/view.h"
#include "app/viewer_state.h"
#include "render/gl.h"
#include "render/resources.h"

namespace {

// Dimmed enough that red and green markers read over any picture, bright
// enough that its roads and dots still show.
constexpr GLfloat ALIGNING_BRIGHTNESS = 0.6f;
// The chart's paper (the square map's colour where the picture does not reach).
constexpr GLfloat PAPER[3] = {44 / 255.0f, 52 / 255.0f, 62 / 255.0f};
constexpr GLfloat PIN_COLOUR[3] = {1.0f, 0.85f, 0.0f};
constexpr GLfloat RING_COLOUR[3] = {1.0f, 1.0f, 1.0f};
// The ring's radius and the pin's cross, in layout pixels.
constexpr double RING_RADIUS = 10.0;
constexpr double CROSS_SIZE = 6.0;

std::string bundledChart;
bool textureHoldsOwnPicture = false;

const Picture &pictureShown() {
  const MapAlignment &mode = viewerState.alignment;
  return mode.active ? mode.picture : mode.ownPicture;
}

void upload(const Picture &picture) {
  MapAlignment &mode = viewerState.alignment;
  if (mode.pictureTexture == 0) glGenTextures(1, &mode.pictureTexture);
  glBindTexture(GL_TEXTURE_2D, mode.pictureTexture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  // Edge clamping keeps the opposite border out of the edge's filtering; a
  // picture of any size needs it in WebGL.
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, picture.width, picture.height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
               picture.rgba.data());
}

// Savegame units to scene units, as the map and markers are placed.
GLfloat scene(double units) { return static_cast<GLfloat>(units * SAVEGAME_TO_SCENE); }

// The picture's quad over the savegame rectangle [left, right] x [bottom,
// top], showing the part [s0, s1] x [t0, t1] of it (t from its top row).
// The coordinates go as floats, as OpenGL keeps them: the browser's GL
// emulation has no glTexCoord2d.
void drawQuad(double left, double bottom, double right, double top, double s0, double t0, double s1, double t1) {
  const auto f = [](double value) { return static_cast<GLfloat>(value); };
  glBegin(GL_QUADS);
  glTexCoord2f(f(s0), f(t1));
  glVertex2f(scene(left), scene(bottom));
  glTexCoord2f(f(s0), f(t0));
  glVertex2f(scene(left), scene(top));
  glTexCoord2f(f(s1), f(t0));
  glVertex2f(scene(right), scene(top));
  glTexCoord2f(f(s1), f(t1));
  glVertex2f(scene(right), scene(bottom));
  glEnd();
}

// Layout pixels to scene units in the map's plane.
GLfloat sceneOfPixels(double pixels) {
  return static_cast<GLfloat>(pixels * scenePerPixel(viewerState.zoom) * viewerState.pixelScale);
}

const PickupMarker *markerOf(int32_t kind, int32_t index) {
  const ViewerState &state = viewerState;
  if (kind == MARKER_PACKAGE && index >= 0 && index < state.packageCount) return &state.packages[index];
  if (kind == MARKER_RAMPAGE && index >= 0 && index < state.rampageCount) return &state.rampages[index];
  return nullptr;
}

}  // namespace

void rememberBundledChart(const char *path) { bundledChart = path ? path : ""; }

void syncAlignmentTextures() {
  MapAlignment &mode = viewerState.alignment;
  if (mode.chartWanted) {
    mode.chartWanted = false;
    if (!bundledChart.empty()) {
      glDeleteTextures(1, &viewerState.mapTexture);
      viewerState.mapTexture = 0;
      loadTexture(bundledChart.c_str(), &viewerState.mapTexture);
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    }
  }
  if (!mode.textureStale) return;
  mode.textureStale = false;
  const Picture &picture = pictureShown();
  if (picture.rgba.empty()) {
    glDeleteTextures(1, &mode.pictureTexture);
    mode.pictureTexture = 0;
    textureHoldsOwnPicture = false;
    return;
  }
  upload(picture);
  textureHoldsOwnPicture = !mode.active;
}

bool ownPictureDrawn() {
  const MapAlignment &mode = viewerState.alignment;
  return mode.pictureTexture != 0 && (mode.active || (mode.ownMapShown && textureHoldsOwnPicture));
}

void drawOwnPicture() {
  const MapAlignment &mode = viewerState.alignment;
  const Picture &picture = pictureShown();
  const PicturePlacement &placement = mode.active ? mode.placement : mode.ownPlacement;
  const WorldEdges edges = placementEdges(placement, picture.width, picture.height);
  glPushMatrix();
  glTranslatef(viewerState.cameraX, viewerState.cameraY, -viewerState.zoom);
  if (mode.active) {
    glBindTexture(GL_TEXTURE_2D, mode.pictureTexture);
    glEnable(GL_TEXTURE_2D);
    glColor3f(ALIGNING_BRIGHTNESS, ALIGNING_BRIGHTNESS, ALIGNING_BRIGHTNESS);
    drawQuad(edges.left, edges.bottom, edges.right, edges.top, 0, 0, 1, 1);
  } else {
    // The map square on the chart's paper, the picture over it cut to the
    // square, as the map kept in the player's folder holds it.
    glDisable(GL_TEXTURE_2D);
    glColor3fv(PAPER);
    drawQuad(-MAP_EXTENT, -MAP_EXTENT, MAP_EXTENT, MAP_EXTENT, 0, 0, 1, 1);
    const double left = std::fmax(edges.left, -MAP_EXTENT), right = std::fmin(edges.right, MAP_EXTENT);
    const double bottom = std::fmax(edges.bottom, -MAP_EXTENT), top = std::fmin(edges.top, MAP_EXTENT);
    if (left < right && bottom < top) {
      const double width = edges.right - edges.left, height = edges.top - edges.bottom;
      glBindTexture(GL_TEXTURE_2D, mode.pictureTexture);
      glEnable(GL_TEXTURE_2D);
      glColor3f(1.0f, 1.0f, 1.0f);
      drawQuad(left, bottom, right, top, (left - edges.left) / width, (edges.top - top) / height,
               (right - edges.left) / width, (edges.top - bottom) / height);
    }
  }
  glColor3f(1.0f, 1.0f, 1.0f);
  glPopMatrix();
}

void drawAlignmentMarks() {
  const MapAlignment &mode = viewerState.alignment;
  if (!mode.active) return;
  glDisable(GL_TEXTURE_2D);
  glPushMatrix();
  glTranslatef(viewerState.cameraX, viewerState.cameraY, -viewerState.zoom);
  const GLfloat cross = sceneOfPixels(CROSS_SIZE);
  glColor3fv(PIN_COLOUR);
  for (int32_t i = 0; i < mode.pinCount; ++i) {
    const AlignmentPin &pin = mode.pins[i];
    double x = 0, y = 0;
    worldOfPicturePoint(mode.placement, pin.pictureX, pin.pictureY, &x, &y);
    glBegin(GL_LINES);
    glVertex2f(scene(x), scene(y));
    glVertex2f(scene(pin.worldX), scene(pin.worldY));
    glVertex2f(scene(x) - cross, scene(y) - cross);
    glVertex2f(scene(x) + cross, scene(y) + cross);
    glVertex2f(scene(x) - cross, scene(y) + cross);
    glVertex2f(scene(x) + cross, scene(y) - cross);
    glEnd();
  }
  if (const PickupMarker *picked = markerOf(mode.pickedKind, mode.pickedIndex)) {
    const GLfloat radius = sceneOfPixels(RING_RADIUS);
    glColor3fv(RING_COLOUR);
    glBegin(GL_LINE_LOOP);
    for (int32_t step = 0; step < 24; ++step) {
      const double angle = step * 2 * 3.14159265358979323846 / 24;
      glVertex2f(scene(picked->x) + radius * static_cast<GLfloat>(std::cos(angle)),
                 scene(picked->y) + radius * static_cast<GLfloat>(std::sin(angle)));
    }
    glEnd();
  }
  glPopMatrix();
  glColor3f(1.0f, 1.0f, 1.0f);
}
