// generate_font FONT.ttf OUT.bmp: draws the overlay's font picture, a 256 x 256
// grid of 16 x 16 cells, from a TrueType font. The cell of code ch is column
// ch mod 16 and row ch div 16 from the top; codes 32 to 126 get their glyph,
// light on black, every other cell stays black. Each glyph is centred in its
// cell on a common baseline and kept inside the cell less a one-pixel margin,
// so that linear filtering never pulls ink over from a neighbouring cell.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bmp_writer.h"
#include "glyph_raster.h"

namespace {

constexpr int32_t CELL = 16;
constexpr int32_t GRID = 16;
constexpr int32_t MARGIN = 1;

// DejaVu Sans Mono Bold set 14 pixels high and 19 wide: capitals about 10
// pixels tall with room for descenders below a baseline 12 pixels from the
// cell top, and glyphs about 11 pixels wide, which fills the 16-pixel advance
// better than the font's own narrow proportions would. The bold weight stays
// legible over the translucent panel and the map beneath it.
constexpr int32_t PIXEL_WIDTH = 19;
constexpr int32_t PIXEL_HEIGHT = 14;
constexpr int32_t BASELINE = 12;

constexpr uint32_t FIRST_CODE = 32;
constexpr uint32_t LAST_CODE = 126;

void placeGlyph(Canvas &canvas, const GlyphImage &glyph, uint32_t code) {
  const int32_t cellX = static_cast<int32_t>(code % GRID) * CELL;
  const int32_t cellY = static_cast<int32_t>(code / GRID) * CELL;
  const int32_t penX = cellX + (CELL - glyph.advance) / 2;
  // A glyph that pokes out above or below the usable rows (the underscore,
  // the grave accent) is moved inside; one taller than they are is clipped.
  int32_t glyphTop = cellY + BASELINE - glyph.top;
  const int32_t firstRow = cellY + MARGIN;
  const int32_t endRow = cellY + CELL - MARGIN;
  if (glyphTop + glyph.rows > endRow) glyphTop = endRow - glyph.rows;
  if (glyphTop < firstRow) glyphTop = firstRow;
  for (int32_t row = 0; row < glyph.rows; ++row) {
    const int32_t y = glyphTop + row;
    if (y < firstRow || y >= endRow) continue;
    for (int32_t column = 0; column < glyph.width; ++column) {
      const int32_t x = penX + glyph.left + column;
      if (x < cellX + MARGIN || x >= cellX + CELL - MARGIN) continue;
      const unsigned char value = glyph.coverage[static_cast<size_t>(row) * glyph.width + column];
      unsigned char *pixel = canvas.at(x, y);
      pixel[0] = pixel[1] = pixel[2] = value;
    }
  }
}

}  // namespace

int main(int argc, char **argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: generate_font FONT.ttf OUT.bmp\n");
    return 2;
  }
  FontFace font;
  std::string error;
  if (!openFace(argv[1], PIXEL_WIDTH, PIXEL_HEIGHT, &font, &error)) {
    std::fprintf(stderr, "generate_font: %s\n", error.c_str());
    return 1;
  }
  Canvas canvas(CELL * GRID, CELL * GRID);
  GlyphImage glyph;
  int missing = 0;
  for (uint32_t code = FIRST_CODE; code <= LAST_CODE; ++code) {
    if (!renderGlyph(font, code, &glyph)) {
      std::fprintf(stderr, "generate_font: the font cannot render code %u\n", code);
      ++missing;
      continue;
    }
    placeGlyph(canvas, glyph, code);
  }
  closeFace(&font);
  if (missing > 0) return 1;
  if (!writeBmp24(argv[2], canvas)) {
    std::perror(argv[2]);
    return 1;
  }
  return 0;
}
