// The frame renderer. Every frame is drawn from scratch out of viewerState:
// the map as a textured square in the plane z = -zoom, the markers just
// collected as outlines, each package and rampage as a small marker in the
// same plane, then the counter panel or the help page in pixel coordinates
// over it, and last the status line (which F12's picture leaves out).
#include "render/frame.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "app/collecting_route.h"
#include "app/map_point.h"
#include "app/viewer_state.h"
#include "platform/platform.h"
#include "render/font.h"
#include "render/gl.h"
#include "render/marker_palette.h"
#include "render/screenshot.h"

namespace {

constexpr GLfloat BACKGROUND[4] = {0.05f, 0.05f, 0.1f, 1.0f};

// Heights that choose a package's shape: below the lower one (or not a
// number) a down triangle, up to the upper one inclusive a square, above it
// an up triangle.
constexpr GLfloat LOW_HEIGHT = 10.0f;
constexpr GLfloat HIGH_HEIGHT = 15.0f;

constexpr int32_t PANEL_WIDTH = 168;
constexpr int32_t PANEL_TEXT_INSET = 160;
constexpr int32_t HELP_HALF_WIDTH = 280;
constexpr int32_t HELP_TEXT_INSET = 256;
constexpr int32_t HELP_MARGIN = 32;
constexpr int32_t GLYPH_SIZE = 16;
// The information line's text starts this far from the left and bottom edges.
constexpr int32_t INFO_INSET = 8;

// The information line of 'I', laid out once per frame: its lines stand at
// the bottom left, the last one INFO_INSET pixels above the bottom edge.
struct InfoText {
  char lines[INFO_LINE_COUNT][INFO_LINE_SIZE];
  int32_t count = 0;
  int32_t widest = 0;
  int32_t top = 0;
};

void layOutInfoText(InfoText *info) {
  if (!viewerState.showInfo) return;
  info->count = composeInfoLines(info->lines);
  for (int32_t i = 0; i < info->count; ++i) {
    const int32_t length = static_cast<int32_t>(std::strlen(info->lines[i]));
    if (length > info->widest) info->widest = length;
  }
  info->top = viewerState.windowHeight - INFO_INSET - info->count * GLYPH_SIZE;
}

struct TextLine {
  int32_t y;
  const char *text;
};

// Every help line is 34 characters (544 pixels), so the page is centred in
// its 560-pixel background.
constexpr TextLine HELP_LINES[] = {
    {48, "   KZR Tern Haven Package Viewer  "},
    {64, "   Free viewer of hidden packages "},
    {80, "   by the Package Viewer makers   "},
    {112, "    Keys:                         "},
    {128, "  Directional Keys or             "},
    {144, "  Mouse Leftklick & drag          "},
    {160, "                        :  move   "},
    {176, "  '+' / '-'  and Mousewheel       "},
    {192, "                        :  zoom   "},
    {224, "  'O' : Open Savegame             "},
    {256, "  ESC : Exit                      "},
    {288, "    Press 'H' again to exit help  "},
};

constexpr bool allHelpLinesAre34Characters() {
  for (const TextLine &line : HELP_LINES) {
    int length = 0;
    while (line.text[length] != '\0') ++length;
    if (length != 34) return false;
  }
  return true;
}
static_assert(allHelpLinesAre34Characters(), "the help page is laid out for 34-character lines");

// Each shape is drawn filled, or as the outline of a collected marker.
enum ShapeStyle { SHAPE_FILLED, SHAPE_OUTLINE };

void drawDownTriangle(ShapeStyle style) {
  glBegin(style == SHAPE_FILLED ? GL_TRIANGLES : GL_LINE_LOOP);
  glVertex2f(-0.01f, 0.01f);
  glVertex2f(0.01f, 0.01f);
  glVertex2f(0.0f, -0.01f);
  glEnd();
}

void drawSquare(ShapeStyle style) {
  glBegin(style == SHAPE_FILLED ? GL_QUADS : GL_LINE_LOOP);
  glVertex2f(0.008f, -0.008f);
  glVertex2f(-0.008f, -0.008f);
  glVertex2f(-0.008f, 0.008f);
  glVertex2f(0.008f, 0.008f);
  glEnd();
}

void drawUpTriangle(ShapeStyle style) {
  glBegin(style == SHAPE_FILLED ? GL_TRIANGLES : GL_LINE_LOOP);
  glVertex2f(0.0f, 0.01f);
  glVertex2f(0.01f, -0.01f);
  glVertex2f(-0.01f, -0.01f);
  glEnd();
}

void moveToMarker(const PickupMarker &marker) {
  glPushMatrix();
  const ScenePoint centre = markerScenePoint(marker);
  glTranslatef(centre.x, centre.y, -viewerState.zoom);
}

void drawMap() {
  glPushMatrix();
  glTranslatef(viewerState.cameraX, viewerState.cameraY, -viewerState.zoom);
  glBindTexture(GL_TEXTURE_2D, viewerState.mapTexture);
  glEnable(GL_TEXTURE_2D);
  // The image's first row (its bottom row) lies along y = -1: the picture
  // stands upright.
  glBegin(GL_QUADS);
  glTexCoord2f(0.0f, 0.0f);
  glVertex2f(-1.0f, -1.0f);
  glTexCoord2f(0.0f, 1.0f);
  glVertex2f(-1.0f, 1.0f);
  glTexCoord2f(1.0f, 1.0f);
  glVertex2f(1.0f, 1.0f);
  glTexCoord2f(1.0f, 0.0f);
  glVertex2f(1.0f, -1.0f);
  glEnd();
  glPopMatrix();
}

// A package is shaped by its height; a rampage is a down triangle whatever
// its height.
void drawMarker(const PickupMarker &marker, MarkerKind kind, ShapeStyle style) {
  moveToMarker(marker);
  if (kind == MARKER_RAMPAGE || marker.z < LOW_HEIGHT || std::isnan(marker.z)) {
    drawDownTriangle(style);
  } else if (marker.z <= HIGH_HEIGHT) {
    drawSquare(style);
  } else {
    drawUpTriangle(style);
  }
  glPopMatrix();
}

const MarkerColours &colours() { return markerColours(viewerState.markerPalette); }

// Collected markers: outlines in their kind's colour, under the live ones.
void drawCollected() {
  glDisable(GL_TEXTURE_2D);
  for (int32_t i = 0; i < viewerState.collectedCount; ++i) {
    const CollectedMarker &collected = viewerState.collected[i];
    glColor3fv(collected.kind == MARKER_PACKAGE ? colours().package : colours().rampage);
    drawMarker(collected.marker, collected.kind, SHAPE_OUTLINE);
  }
}

// Packages (red in the standard palette), shaped by height.
void drawPackages() {
  glColor3fv(colours().package);
  glDisable(GL_TEXTURE_2D);
  for (int32_t i = 0; i < viewerState.packageCount; ++i) {
    drawMarker(viewerState.packages[i], MARKER_PACKAGE, SHAPE_FILLED);
  }
}

// Rampages (green in the standard palette).
void drawRampages() {
  glColor3fv(colours().rampage);
  glDisable(GL_TEXTURE_2D);
  for (int32_t i = 0; i < viewerState.rampageCount; ++i) {
    drawMarker(viewerState.rampages[i], MARKER_RAMPAGE, SHAPE_FILLED);
  }
}

// The route of 'R': one thin line in the palette's route colour from its
// start through every stop, in the plane of the map, under the markers.
void drawRoute() {
  const ViewerState &state = viewerState;
  glDisable(GL_TEXTURE_2D);
  glColor3fv(colours().routeLine);
  glBegin(GL_LINE_STRIP);
  const PickupMarker start{static_cast<float>(state.routeStartX), static_cast<float>(state.routeStartY), 0.0f};
  const ScenePoint first = markerScenePoint(start);
  glVertex3f(first.x, first.y, -state.zoom);
  for (int32_t i = 0; i < state.routeStopCount; ++i) {
    const RouteStop &stop = state.routeStops[i];
    const ScenePoint point = markerScenePoint(PickupMarker{stop.x, stop.y, stop.z});
    glVertex3f(point.x, point.y, -state.zoom);
  }
  glEnd();
}

// Switches to pixel coordinates: origin at the top-left pixel, y downwards.
void enterOverlay() {
  glDisable(GL_LIGHTING);
  glEnable(GL_BLEND);
  glBindTexture(GL_TEXTURE_2D, viewerState.fontTexture);
  glDisable(GL_DEPTH_TEST);
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glOrtho(0.0, static_cast<GLdouble>(viewerState.windowWidth - 1),
          static_cast<GLdouble>(viewerState.windowHeight - 1), 0.0, -1.0, 1.0);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glDisable(GL_CULL_FACE);
}

void fillRectangle(int32_t left, int32_t top, int32_t right, int32_t bottom) {
  glBegin(GL_QUADS);
  glVertex2f(static_cast<GLfloat>(left), static_cast<GLfloat>(top));
  glVertex2f(static_cast<GLfloat>(right), static_cast<GLfloat>(top));
  glVertex2f(static_cast<GLfloat>(right), static_cast<GLfloat>(bottom));
  glVertex2f(static_cast<GLfloat>(left), static_cast<GLfloat>(bottom));
  glEnd();
}

// The background of the panel or the help page. It is blended with the blend
// function the previous frame's text left behind (S x S + D x (1 - S)), so it
// shows translucent from the second frame on; the very first frame still has
// OpenGL's initial function and draws it opaque.
void drawOverlayBackground(const InfoText &info) {
  const int32_t width = viewerState.windowWidth;
  const int32_t height = viewerState.windowHeight;
  if (viewerState.showHelp) {
    glColor4f(0.3f, 0.3f, 0.3f, 1.0f);
    fillRectangle(width / 2 - HELP_HALF_WIDTH, HELP_MARGIN, width / 2 + HELP_HALF_WIDTH,
                  height - HELP_MARGIN);
  } else {
    glColor4f(0.2f, 0.2f, 0.2f, 0.7f);
    fillRectangle(width - PANEL_WIDTH, 0, width, height);
  }
  if (info.count > 0) {
    // A strip like the panel's under the text, so that it reads over any
    // part of the map.
    glColor4f(0.2f, 0.2f, 0.2f, 0.7f);
    fillRectangle(0, info.top - INFO_INSET / 2, info.widest * GLYPH_SIZE + 2 * INFO_INSET, height);
  }
}

void drawInfoText(const InfoText &info) {
  for (int32_t i = 0; i < info.count; ++i) {
    drawText(INFO_INSET, info.top + i * GLYPH_SIZE, info.lines[i]);
  }
}

void drawOverlayText(const InfoText &info) {
  glEnable(GL_TEXTURE_2D);
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  // A glyph texel T lands as T x T + D x (1 - T): black leaves the picture
  // alone, white paints white.
  glBlendFunc(GL_SRC_COLOR, GL_ONE_MINUS_SRC_COLOR);
  drawInfoText(info);

  if (viewerState.showHelp) {
    const int32_t x = viewerState.windowWidth / 2 - HELP_TEXT_INSET;
    for (const TextLine &line : HELP_LINES) drawText(x, line.y, line.text);
    return;
  }

  const int32_t x = viewerState.windowWidth - PANEL_TEXT_INSET;
  char count[256];
  std::snprintf(count, sizeof count, "  %3d", static_cast<int>(viewerState.packageCount));
  drawText(x, 14, count);
  drawText(x, 30, " packages ");
  drawText(x, 46, "   left   ");
  std::snprintf(count, sizeof count, "  %3d", static_cast<int>(viewerState.rampageCount));
  drawText(x, 66, count);
  drawText(x, 82, " rampages ");
  drawText(x, 98, "   left   ");
  drawText(x, 160, " Press 'H'");
  drawText(x, 176, " for help");
}

// The status line (where F12's picture went) stands at the bottom left, above
// the information line when that is shown, on a strip like the panel's.
void drawStatusLine(const InfoText &info) {
  if (viewerState.statusLine[0] == '\0') return;
  const int32_t height = viewerState.windowHeight;
  const int32_t stripBottom = info.count > 0 ? info.top - INFO_INSET / 2 : height;
  const int32_t textTop =
      info.count > 0 ? stripBottom - INFO_INSET / 2 - GLYPH_SIZE : height - INFO_INSET - GLYPH_SIZE;
  const int32_t length = static_cast<int32_t>(std::strlen(viewerState.statusLine));
  glLoadIdentity();  // the text drawn before left its pen's translation
  glDisable(GL_TEXTURE_2D);
  glEnable(GL_BLEND);
  glColor4f(0.2f, 0.2f, 0.2f, 0.7f);
  fillRectangle(0, textTop - INFO_INSET / 2, length * GLYPH_SIZE + 2 * INFO_INSET, stripBottom);
  glEnable(GL_TEXTURE_2D);
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  drawText(INFO_INSET, textTop, viewerState.statusLine);
}

void leaveOverlay() {
  glDisable(GL_BLEND);
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPopMatrix();
}

}  // namespace

ScenePoint markerScenePoint(const PickupMarker &marker) {
  return {marker.x * SAVEGAME_TO_SCENE + viewerState.cameraX, marker.y * SAVEGAME_TO_SCENE + viewerState.cameraY};
}

void renderFrame() {
  glClearColor(BACKGROUND[0], BACKGROUND[1], BACKGROUND[2], BACKGROUND[3]);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);

  drawMap();
  if (viewerState.showRoute) drawRoute();
  drawCollected();
  if (packagesShown()) drawPackages();
  if (rampagesShown()) drawRampages();

  InfoText info;
  layOutInfoText(&info);
  enterOverlay();
  drawOverlayBackground(info);
  drawOverlayText(info);
  // F12's picture is the frame as drawn so far: without the line that then
  // says where it went.
  saveScreenshotIfWanted();
  drawStatusLine(info);
  leaveOverlay();

  platformSwapBuffers();
}
