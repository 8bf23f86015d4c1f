// The frame renderer. Every frame is drawn from scratch out of viewerState:
// the map as a textured square in the plane z = -zoom, the route of 'R', the
// markers just collected as dim outlines, each package and rampage as a small
// marker in the same plane, then the route's next stop numbers and the counter
// panel or the help page in pixel coordinates over it, and last the status
// line (which F12's picture leaves out).
#include "render/frame.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "app/collected.h"
#include "app/collecting_route.h"
#include "app/gestures.h"
#include "app/key_help.h"
#include "app/map_point.h"
#include "app/text_fit.h"
#include "app/viewer_state.h"
#include "platform/platform.h"
#include "render/alignment_drawing.h"
#include "render/compact_overlay.h"
#include "render/font.h"
#include "render/gl.h"
#include "render/marker_palette.h"
#include "render/page_markers.h"
#include "render/route_drawing.h"
#include "render/screenshot.h"
#include "render/share_drawing.h"

namespace {

constexpr GLfloat BACKGROUND[4] = {0.05f, 0.05f, 0.1f, 1.0f};

constexpr int32_t PANEL_WIDTH = 168;
constexpr int32_t PANEL_TEXT_INSET = 160;
constexpr int32_t HELP_HALF_WIDTH = 280;
constexpr int32_t HELP_TEXT_INSET = 256;
constexpr int32_t HELP_MARGIN = 32;
constexpr int32_t GLYPH_SIZE = 16;
// The information line's text starts this far from the left and bottom edges.
constexpr int32_t INFO_INSET = 8;

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

// The line that offers escape, left out where escape does nothing.
constexpr int32_t ESCAPE_LINE_Y = 256;

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

void drawShapeCorners(const MarkerShape &shape, ShapeStyle style) {
  glBegin(style == SHAPE_OUTLINE ? GL_LINE_LOOP : shape.cornerCount == 3 ? GL_TRIANGLES : GL_QUADS);
  for (int32_t i = 0; i < shape.cornerCount; ++i) glVertex2f(shape.corners[i][0], shape.corners[i][1]);
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

void drawShape(MarkerKind kind, float height, ShapeStyle style) { drawShapeCorners(markerShape(kind, height), style); }

void drawMarker(const PickupMarker &marker, MarkerKind kind, ShapeStyle style) {
  moveToMarker(marker);
  drawShape(kind, marker.z, style);
  glPopMatrix();
}

const MarkerColours &colours() { return markerColours(viewerState.markerPalette); }

// Collected markers: outlines in their kind's colour at a third of its
// brightness, so that the markers left stand out among them; under the live
// ones, and only while 'C' and 'K' show them.
constexpr GLfloat COLLECTED_BRIGHTNESS = 1.0f / 3.0f;
void drawCollected() {
  glDisable(GL_TEXTURE_2D);
  for (int32_t i = 0; i < viewerState.collectedCount; ++i) {
    const CollectedMarker &collected = viewerState.collected[i];
    if (!collectedMarkerShown(collected)) continue;
    const GLfloat *colour = collected.kind == MARKER_PACKAGE ? colours().package : colours().rampage;
    glColor3f(colour[0] * COLLECTED_BRIGHTNESS, colour[1] * COLLECTED_BRIGHTNESS, colour[2] * COLLECTED_BRIGHTNESS);
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

// Switches to pixel coordinates: origin at the top-left pixel, y downwards.
void enterOverlay() {
  glDisable(GL_LIGHTING);
  glEnable(GL_BLEND);
  glBindTexture(GL_TEXTURE_2D, viewerState.fontTexture);
  glDisable(GL_DEPTH_TEST);
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  // On a screen of several device pixels a pixel (only the page has one),
  // each layout pixel is exactly pixelScale of them and the font's texels are
  // not blurred, so the text stays crisp; the desktop keeps its mapping.
  const int32_t scale = viewerState.pixelScale;
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, scale > 1 ? GL_NEAREST : GL_LINEAR);
  if (scale > 1) {
    glOrtho(0.0, static_cast<GLdouble>(viewerState.windowWidth) / scale,
            static_cast<GLdouble>(viewerState.windowHeight) / scale, 0.0, -1.0, 1.0);
  } else {
    glOrtho(0.0, static_cast<GLdouble>(viewerState.windowWidth - 1),
            static_cast<GLdouble>(viewerState.windowHeight - 1), 0.0, -1.0, 1.0);
  }
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glDisable(GL_CULL_FACE);
}

// The lines added at the bottom left: the information line of 'I' at the
// bottom, the status line above it, each broken to the room left of the
// panel. A block's last line stands
// `bottomGap` pixels above the block's lower edge, and its backdrop reaches
// from INFO_INSET / 2 above its first line down to that edge.
constexpr int32_t ADDED_LINE_CAPACITY = 4;
// The align mode's instructions take a block of their own, which may need
// more lines in a narrow window.
constexpr int32_t HINT_LINE_CAPACITY = 6;
struct LineBlock {
  char lines[HINT_LINE_CAPACITY][FITTED_LINE_SIZE];
  int32_t limit = ADDED_LINE_CAPACITY;
  int32_t count = 0;
  int32_t top = 0;     // the first line's text
  int32_t bottom = 0;  // the backdrop's lower edge
};

// Characters that fit left of the panel, with the text's inset on each side.
// The compact layout has no panel beside them.
int32_t addedLineWidth() {
  const int32_t panel = compactLayout() ? 0 : PANEL_WIDTH;
  return (layoutWidth() - panel - 2 * INFO_INSET) / GLYPH_SIZE;
}

void fitBlock(LineBlock *block, const char *text, int32_t capacity) {
  const int32_t room = block->limit - block->count;
  if (capacity > room) capacity = room;
  block->count += fitTextLines(text, addedLineWidth(), block->lines + block->count, capacity);
}

void placeBlock(LineBlock *block, int32_t bottom, int32_t bottomGap) {
  block->bottom = bottom;
  block->top = bottom - bottomGap - block->count * GLYPH_SIZE;
}

// The information line, laid out before anything is drawn over the map.
void layOutInfoLines(LineBlock *info) {
  // While a picture is aligned, the instructions stand where the
  // information line would.
  if (aligningMap()) {
    info->limit = HINT_LINE_CAPACITY;
    fitBlock(info, ALIGNMENT_HINT, HINT_LINE_CAPACITY);
    placeBlock(info, layoutHeight(), INFO_INSET);
    return;
  }
  // The page's compact layout says it in the page, beside its status.
  if (!viewerState.showInfo || (viewerState.pageDrawing && compactLayout())) return;
  char lines[INFO_LINE_COUNT][INFO_LINE_SIZE];
  const int32_t count = composeInfoLines(lines);
  // The map position keeps to one line; the marker takes what it needs.
  for (int32_t i = 0; i < count; ++i) fitBlock(info, lines[i], i == 0 ? 1 : ADDED_LINE_CAPACITY);
  placeBlock(info, layoutHeight(), INFO_INSET);
}

// The status line, laid out once F12's picture has been taken: the line may
// just have been set to say where it went.
void layOutStatusLine(const LineBlock &info, LineBlock *status) {
  if (viewerState.statusLine[0] == '\0') return;
  fitBlock(status, viewerState.statusLine, ADDED_LINE_CAPACITY);
  if (info.count > 0) {
    placeBlock(status, info.top - INFO_INSET / 2, INFO_INSET / 2);
  } else {
    placeBlock(status, layoutHeight(), INFO_INSET);
  }
}

// Each line on its own strip like the panel's, as wide as the line, so that
// it reads over any part of the map.
void drawBlockBackdrop(const LineBlock &block) {
  glColor4f(0.2f, 0.2f, 0.2f, 0.7f);
  for (int32_t i = 0; i < block.count; ++i) {
    const int32_t lineTop = block.top + i * GLYPH_SIZE;
    const int32_t top = i == 0 ? lineTop - INFO_INSET / 2 : lineTop;
    const int32_t bottom = i == block.count - 1 ? block.bottom : lineTop + GLYPH_SIZE;
    const int32_t length = static_cast<int32_t>(std::strlen(block.lines[i]));
    fillRectangle(0, top, length * GLYPH_SIZE + 2 * INFO_INSET, bottom);
  }
}

void drawBlockText(const LineBlock &block) {
  for (int32_t i = 0; i < block.count; ++i) drawText(INFO_INSET, block.top + i * GLYPH_SIZE, block.lines[i]);
}

// The background of the panel or the help page. It is blended with the blend
// function the previous frame's text left behind (S x S + D x (1 - S)), so it
// shows translucent from the second frame on; the very first frame still has
// OpenGL's initial function and draws it opaque.
void drawOverlayBackground(const LineBlock &info) {
  const int32_t width = layoutWidth();
  const int32_t height = layoutHeight();
  if (compactLayout()) {
    drawCompactBackground();
  } else if (viewerState.showHelp) {
    glColor4f(0.3f, 0.3f, 0.3f, 1.0f);
    fillRectangle(width / 2 - HELP_HALF_WIDTH, HELP_MARGIN, width / 2 + HELP_HALF_WIDTH, height - HELP_MARGIN);
  } else {
    glColor4f(0.2f, 0.2f, 0.2f, 0.7f);
    fillRectangle(width - PANEL_WIDTH, 0, width, height);
  }
  drawBlockBackdrop(info);
}

// The help page's added rows start below its first lines; the page's box
// holds as many as the window's height gives room for, up to
// HELP_ROW_CAPACITY, and the rest are left out from the bottom.
constexpr int32_t HELP_ROWS_TOP = 320;

void drawHelpPage() {
  const int32_t x = layoutWidth() / 2 - HELP_TEXT_INSET;
  for (const TextLine &line : HELP_LINES) {
    // The page has no key that ends it: its help does not offer one.
    if (line.y == ESCAPE_LINE_Y && !keyWorksHere("Esc")) continue;
    drawText(x, line.y, line.text);
  }
  int32_t room = (layoutHeight() - HELP_MARGIN - HELP_ROWS_TOP) / GLYPH_SIZE;
  if (room <= 0) return;
  char rows[HELP_ROW_CAPACITY][HELP_ROW_LENGTH + 1];
  const int32_t count = composeHelpRows(rows, room);
  for (int32_t i = 0; i < count; ++i) {
    const int32_t y = HELP_ROWS_TOP + i * GLYPH_SIZE;
    char *shapeAt = std::strchr(rows[i], LEGEND_SHAPE);
    if (shapeAt == nullptr) {
      drawText(x, y, rows[i]);
      continue;
    }
    char text[HELP_ROW_LENGTH + 1];
    std::memcpy(text, rows[i], sizeof text);
    for (char &c : text) {
      if (c == LEGEND_SHAPE) c = ' ';
    }
    drawText(x, y, text);
    drawLegendShapes(x, y, rows[i], 0);
  }
}

void drawOverlayText(const LineBlock &info) {
  glEnable(GL_TEXTURE_2D);
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  // A glyph texel T lands as T x T + D x (1 - T): black leaves the picture
  // alone, white paints white.
  glBlendFunc(GL_SRC_COLOR, GL_ONE_MINUS_SRC_COLOR);
  drawBlockText(info);

  if (compactLayout()) {
    drawCompactText();
    return;
  }
  if (viewerState.showHelp) {
    drawHelpPage();
    return;
  }

  const int32_t x = layoutWidth() - PANEL_TEXT_INSET;
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
// the information line when that is shown, on strips like the panel's.
void drawStatusLine(const LineBlock &info) {
  LineBlock status;
  layOutStatusLine(info, &status);
  if (status.count == 0) return;
  glLoadIdentity();  // the text drawn before left its pen's translation
  glDisable(GL_TEXTURE_2D);
  glEnable(GL_BLEND);
  drawBlockBackdrop(status);
  glEnable(GL_TEXTURE_2D);
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  drawBlockText(status);
}

void leaveOverlay() {
  glDisable(GL_BLEND);
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPopMatrix();
}

}  // namespace

// The legend's shapes, drawn as the markers are, over the blanks its row
// leaves for them, from LEGEND_SHAPES[firstShape] on; the text's translation
// is dropped first.
void drawLegendShapes(int32_t left, int32_t top, const char *row, int32_t firstShape) {
  constexpr GLfloat MARKER_TO_PIXELS = 500.0f;  // a marker's 0.02 across becomes 10 pixels
  glDisable(GL_TEXTURE_2D);
  int32_t shape = firstShape;
  for (int32_t column = 0; row[column] != '\0' && shape < LEGEND_SHAPE_COUNT; ++column) {
    if (row[column] != LEGEND_SHAPE) continue;
    const LegendShape &legend = LEGEND_SHAPES[shape++];
    glLoadIdentity();
    glTranslatef(static_cast<GLfloat>(left + column * GLYPH_SIZE + GLYPH_SIZE / 2),
                 static_cast<GLfloat>(top + GLYPH_SIZE / 2), 0.0f);
    glScalef(MARKER_TO_PIXELS, -MARKER_TO_PIXELS, 1.0f);  // the overlay's y grows downwards
    glColor3fv(legend.isRampage ? colours().rampage : colours().package);
    drawShape(legend.isRampage ? MARKER_RAMPAGE : MARKER_PACKAGE, legend.height, SHAPE_FILLED);
  }
  glLoadIdentity();
  glEnable(GL_TEXTURE_2D);
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
}

// Heights that choose a package's shape: below the lower one (or not a
// number) a down triangle, up to the upper one inclusive a square, above it
// an up triangle. A rampage is a down triangle whatever its height.
const MarkerShape &markerShape(MarkerKind kind, float height) {
  constexpr float LOW_HEIGHT = 10.0f;
  constexpr float HIGH_HEIGHT = 15.0f;
  static constexpr MarkerShape DOWN_TRIANGLE = {3, {{-0.01f, 0.01f}, {0.01f, 0.01f}, {0.0f, -0.01f}, {}}};
  static constexpr MarkerShape SQUARE = {4, {{0.008f, -0.008f}, {-0.008f, -0.008f}, {-0.008f, 0.008f}, {0.008f, 0.008f}}};
  static constexpr MarkerShape UP_TRIANGLE = {3, {{0.0f, 0.01f}, {0.01f, -0.01f}, {-0.01f, -0.01f}, {}}};
  if (kind == MARKER_RAMPAGE || height < LOW_HEIGHT || std::isnan(height)) return DOWN_TRIANGLE;
  return height <= HIGH_HEIGHT ? SQUARE : UP_TRIANGLE;
}

void fillRectangle(int32_t left, int32_t top, int32_t right, int32_t bottom) {
  glBegin(GL_QUADS);
  glVertex2f(static_cast<GLfloat>(left), static_cast<GLfloat>(top));
  glVertex2f(static_cast<GLfloat>(right), static_cast<GLfloat>(top));
  glVertex2f(static_cast<GLfloat>(right), static_cast<GLfloat>(bottom));
  glVertex2f(static_cast<GLfloat>(left), static_cast<GLfloat>(bottom));
  glEnd();
}

ScenePoint markerScenePoint(const PickupMarker &marker) {
  return {marker.x * SAVEGAME_TO_SCENE + viewerState.cameraX, marker.y * SAVEGAME_TO_SCENE + viewerState.cameraY};
}

void renderFrame() {
  glClearColor(BACKGROUND[0], BACKGROUND[1], BACKGROUND[2], BACKGROUND[3]);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);

  syncAlignmentTextures();
  if (ownPictureDrawn()) {
    drawOwnPicture();
  } else {
    drawMap();
  }
  if (viewerState.showRoute) drawRouteLine();
  if (viewerState.pageDrawing) {
    drawPageMarkers();
  } else {
    drawCollected();
    if (packagesShown()) drawPackages();
    if (rampagesShown()) drawRampages();
  }
  drawAlignmentMarks();

  LineBlock info;
  layOutInfoLines(&info);
  enterOverlay();
  // The next stops' numbers lie under the panel, like the map.
  if (viewerState.showRoute) drawRouteStopNumbers();
  drawOverlayBackground(info);
  drawOverlayText(info);
  // F12's picture is the frame as drawn so far: without the line that then
  // says where it went.
  saveScreenshotIfWanted();
  drawStatusLine(info);
  drawShareOverlay();
  leaveOverlay();

  platformSwapBuffers();
}
