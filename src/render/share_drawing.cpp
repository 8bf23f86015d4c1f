// The shared address over the map: see share_drawing.h.
#include "render/share_drawing.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "app/share_overlay.h"
#include "app/text_fit.h"
#include "app/viewer_state.h"
#include "render/font.h"
#include "render/font_cells.h"
#include "render/frame.h"
#include "render/gl.h"

namespace {

// Light modules round the code, as readers want them.
constexpr int32_t QUIET_MODULES = 4;
constexpr int32_t ADDRESS_LINES = 3;
// The line above the address that says what the code is for.
constexpr char CAPTION[] = "Scan with the phone's camera";

void square(int32_t left, int32_t top, int32_t side) {
  glVertex2f(static_cast<GLfloat>(left), static_cast<GLfloat>(top));
  glVertex2f(static_cast<GLfloat>(left + side), static_cast<GLfloat>(top));
  glVertex2f(static_cast<GLfloat>(left + side), static_cast<GLfloat>(top + side));
  glVertex2f(static_cast<GLfloat>(left), static_cast<GLfloat>(top + side));
}

}  // namespace

void drawShareOverlay() {
  const ShareOverlay &overlay = shareOverlay;
  if (!overlay.shown || overlay.size == 0) return;
  // The code and its lines stand over the map, left of the panel, whose
  // counts stay in sight.
  const int32_t width = std::max(viewerState.windowWidth - PANEL_WIDTH, GLYPH_SIZE * 2);
  const int32_t height = viewerState.windowHeight;

  // The caption, then the address broken to that width, under the code.
  char lines[ADDRESS_LINES + 1][FITTED_LINE_SIZE];
  std::snprintf(lines[0], sizeof lines[0], "%s", CAPTION);
  const int32_t count = 1 + fitTextLines(overlay.address, width / GLYPH_SIZE - 1, lines + 1, ADDRESS_LINES);
  const int32_t textHeight = count * GLYPH_SIZE;

  // Whole pixels per module, as many as the window allows: a phone reads
  // sharp, even modules best.
  const int32_t modules = overlay.size + 2 * QUIET_MODULES;
  const int32_t room = std::min(width, height - textHeight - GLYPH_SIZE);
  const int32_t module = std::max(1, room * 9 / 10 / modules);
  const int32_t side = modules * module;
  const int32_t left = (width - side) / 2;
  const int32_t top = std::max(0, (height - side - textHeight) / 2);

  glLoadIdentity();
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_BLEND);
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  glBegin(GL_QUADS);
  square(left, top, side);
  glEnd();
  glColor4f(0.0f, 0.0f, 0.0f, 1.0f);
  glBegin(GL_QUADS);
  for (int32_t y = 0; y < overlay.size; ++y) {
    for (int32_t x = 0; x < overlay.size; ++x) {
      if (!overlay.dark[static_cast<size_t>(y) * overlay.size + x]) continue;
      square(left + (QUIET_MODULES + x) * module, top + (QUIET_MODULES + y) * module, module);
    }
  }
  // The text's backdrop.
  const int32_t textTop = top + side;
  glVertex2f(0.0f, static_cast<GLfloat>(textTop));
  glVertex2f(static_cast<GLfloat>(width), static_cast<GLfloat>(textTop));
  glVertex2f(static_cast<GLfloat>(width), static_cast<GLfloat>(textTop + textHeight));
  glVertex2f(0.0f, static_cast<GLfloat>(textTop + textHeight));
  glEnd();

  glEnable(GL_TEXTURE_2D);
  glEnable(GL_BLEND);
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  glBlendFunc(GL_SRC_COLOR, GL_ONE_MINUS_SRC_COLOR);
  for (int32_t i = 0; i < count; ++i) {
    const int32_t length = static_cast<int32_t>(std::strlen(lines[i]));
    drawText((width - length * GLYPH_SIZE) / 2, textTop + i * GLYPH_SIZE, lines[i]);
    glLoadIdentity();  // drawText leaves its pen's translation behind
  }
}
