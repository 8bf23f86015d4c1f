// Rasterising text with FreeType for the generated pictures.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "image/bmp_writer.h"

struct FT_LibraryRec_;
struct FT_FaceRec_;

// An open font at one pixel size.
struct FontFace {
  FT_LibraryRec_ *library = nullptr;
  FT_FaceRec_ *face = nullptr;
  // Light hinting fits only heights to the pixel grid; full hinting (the
  // autohinter) fits the vertical stems too, which keeps small text that is
  // drawn texel for texel crisp, at some cost to the letters' shapes.
  bool fullHinting = false;
};

// One character as 8-bit coverage: rows top first, `left` and `top` place the
// bitmap relative to the pen on the baseline (top is upwards), `advance` in
// whole pixels.
struct GlyphImage {
  int32_t width = 0;
  int32_t rows = 0;
  int32_t left = 0;
  int32_t top = 0;
  int32_t advance = 0;
  std::vector<unsigned char> coverage;
};

// Opens the font file at the given pixel width and height (a width above the
// height widens the glyphs). On failure returns false with a reason in *error.
bool openFace(const char *path, int32_t pixelWidth, int32_t pixelHeight, FontFace *font,
              std::string *error);
void closeFace(FontFace *font);

// Renders one character code, hinted and anti-aliased. False when the font
// cannot render it.
bool renderGlyph(const FontFace &font, uint32_t code, GlyphImage *glyph);

// Width in pixels of text set in the font.
int32_t measureText(const FontFace &font, const char *text);

// Draws text with its pen starting at x on the baseline y, mixing colour over
// the canvas by coverage; pixels outside the canvas are skipped.
void drawTextOn(Canvas &canvas, const FontFace &font, int32_t x, int32_t baselineY, const char *text,
                const unsigned char colour[3]);
