// The bitmap font where OpenGL has no display lists (the browser's GL
// emulation): each character's quad is drawn directly, with the texture
// coordinates and the 16-pixel pen steps that the desktop's lists hold, so the
// text lands on the same pixels.
#include <cstring>

#include "app/viewer_state.h"
#include "render/font.h"
#include "render/font_cells.h"
#include "render/gl.h"

// Nothing to compile: the quads are made as the text is drawn.
void buildFont() { viewerState.fontListBase = 0; }

// The cell of code ch is column ch % 16 of row ch / 16, addressed with t from
// 0 down to -1 as the desktop's lists address it (see font.cpp). Multiples of
// a sixteenth are exact, so these equal the lists' stepped coordinates. Codes
// above 127 name no list on the desktop and are skipped there without moving
// the pen; so they are here.
void drawText(int32_t x, int32_t y, const char *text) {
  glEnable(GL_BLEND);
  glLoadIdentity();
  glTranslated(static_cast<GLdouble>(x), static_cast<GLdouble>(y), 0.0);
  const size_t length = std::strlen(text);
  GLint pen = 0;
  glBegin(GL_QUADS);
  for (size_t i = 0; i < length; ++i) {
    const unsigned char ch = static_cast<unsigned char>(text[i]);
    if (ch > 127) continue;
    const GLfloat s = static_cast<GLfloat>(ch % CELLS_PER_ROW) * CELL_STEP;
    const GLfloat rowOffset = static_cast<GLfloat>(ch / CELLS_PER_ROW) * CELL_STEP;
    glTexCoord2f(s, -rowOffset);
    glVertex2i(pen, 0);
    glTexCoord2f(s, -(rowOffset + CELL_STEP));
    glVertex2i(pen, GLYPH_SIZE);
    glTexCoord2f(s + CELL_STEP, -(rowOffset + CELL_STEP));
    glVertex2i(pen + GLYPH_SIZE, GLYPH_SIZE);
    glTexCoord2f(s + CELL_STEP, -rowOffset);
    glVertex2i(pen + GLYPH_SIZE, 0);
    pen += GLYPH_SIZE;
  }
  glEnd();
  glDisable(GL_BLEND);
}
