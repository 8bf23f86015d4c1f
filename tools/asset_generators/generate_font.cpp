// generate_font FONT.ttf OUT.bmp: draws the overlay's font picture, a 256 x 256
// grid of 16 x 16 cells, from a TrueType font. The cell of code ch is column
// ch mod 16 and row ch div 16 from the top; codes 32 to 126 get their glyph,
// light on black, every other cell stays black. Each glyph is centred in its
// cell on a common baseline and kept inside the cell less a one-pixel margin,
// so that linear filtering never pulls ink over from a neighbouring cell.
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "glyph_raster.h"
#include "image/bmp_writer.h"

namespace {

constexpr int32_t CELL = 16;
constexpr int32_t GRID = 16;
constexpr int32_t MARGIN = 1;

// DejaVu Sans Mono Bold at 14 pixels to the em, stretched to 27 pixels
// across: capitals 10 pixels tall, ascenders 11 and descenders 3 on a
// baseline 12 pixels from the cell top fill the 14 usable rows, and most
// letters take 13 or 14 of the 14 usable columns, so that with the renderer's
// fixed 16-pixel advance a line reads as words and not as spaced-out letters.
// The font's own proportions would leave half the cell empty. Hinted at that
// size in both directions, the stems land on whole pixels, and the bold
// weight stays legible over the translucent panel and the map beneath it.
constexpr int32_t PIXEL_WIDTH = 27;
constexpr int32_t PIXEL_HEIGHT = 14;
constexpr int32_t BASELINE = 12;

constexpr uint32_t FIRST_CODE = 32;
constexpr uint32_t LAST_CODE = 126;

void placeGlyph(Canvas &canvas, const GlyphImage &glyph, uint32_t code) {
  const int32_t cellX = static_cast<int32_t>(code % GRID) * CELL;
  const int32_t cellY = static_cast<int32_t>(code / GRID) * CELL;
  // Centred by its ink, so that narrow glyphs sit in the middle of the cell
  // and wide ones lose at most a faint edge column to the margin.
  const int32_t inkLeft = cellX + MARGIN + (CELL - 2 * MARGIN - glyph.width) / 2;
  // A sign that pokes out above or below the usable rows (the underscore,
  // the grave accent) is moved inside; one taller than they are is clipped.
  // Letters and digits stay on the baseline and lose the faint top row of
  // the dot on i and j instead: moved, they would stand out of the line.
  int32_t glyphTop = cellY + BASELINE - glyph.top;
  const int32_t firstRow = cellY + MARGIN;
  const int32_t endRow = cellY + CELL - MARGIN;
  if (!std::isalnum(static_cast<int>(code))) {
    if (glyphTop + glyph.rows > endRow) glyphTop = endRow - glyph.rows;
    if (glyphTop < firstRow) glyphTop = firstRow;
  }
  for (int32_t row = 0; row < glyph.rows; ++row) {
    const int32_t y = glyphTop + row;
    if (y < firstRow || y >= endRow) continue;
    for (int32_t column = 0; column < glyph.width; ++column) {
      const int32_t x = inkLeft + column;
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
  font.fullHinting = true;
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
