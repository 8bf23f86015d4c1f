// Building and drawing the bitmap font.
#include "render/font.h"

#include <cstring>

#include "app/viewer_state.h"
#include "render/font_cells.h"
#include "render/gl.h"

// The font picture's first pixel row is its bottom row and sits at t = 0, so
// the cells are addressed with t running from 0 down to -1: under the
// texture's default GL_REPEAT wrap, t = -r/16 is the same texel row as
// 1 - r/16, and row 0 of the grid is the top strip of the picture. s and the
// row offset are stepped by a sixteenth, which is exact in 32-bit floats.
void buildFont() {
  viewerState.fontListBase = glGenLists(FONT_CODES);
  GLfloat s = 0.0f;
  GLfloat rowOffset = 0.0f;
  for (int ch = 0; ch < FONT_CODES; ++ch) {
    glNewList(viewerState.fontListBase + ch, GL_COMPILE);
    glBegin(GL_QUADS);
    glTexCoord2f(s, -rowOffset);
    glVertex2i(0, 0);
    glTexCoord2f(s, -(rowOffset + CELL_STEP));
    glVertex2i(0, GLYPH_SIZE);
    glTexCoord2f(s + CELL_STEP, -(rowOffset + CELL_STEP));
    glVertex2i(GLYPH_SIZE, GLYPH_SIZE);
    glTexCoord2f(s + CELL_STEP, -rowOffset);
    glVertex2i(GLYPH_SIZE, 0);
    glEnd();
    glTranslated(GLYPH_SIZE, 0, 0);
    glEndList();

    s += CELL_STEP;
    if ((ch + 1) % CELLS_PER_ROW == 0) {
      s = 0.0f;
      rowOffset += CELL_STEP;
    }
  }
}

// GL_BYTE makes every byte a signed offset from the list base: codes above 127
// become negative offsets that name no list, which OpenGL skips.
void drawText(int32_t x, int32_t y, const char *text) {
  glEnable(GL_BLEND);
  glLoadIdentity();
  glTranslated(static_cast<GLdouble>(x), static_cast<GLdouble>(y), 0.0);
  glListBase(viewerState.fontListBase);
  glCallLists(static_cast<GLsizei>(std::strlen(text)), GL_BYTE, text);
  glDisable(GL_BLEND);
}
