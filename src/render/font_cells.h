// The layout of the font picture, shared by the two ways of drawing its
// glyphs: display lists on the desktop, quads drawn directly in the browser.
#pragma once

#include "render/gl.h"

// 256 character codes in a 16 x 16 grid of 16 x 16-pixel cells.
constexpr int FONT_CODES = 256;
constexpr int CELLS_PER_ROW = 16;
constexpr GLfloat CELL_STEP = 0.0625f;  // one sixteenth of the texture
constexpr GLint GLYPH_SIZE = 16;        // pixels per character, both ways
