// FreeType rasterisation for the asset generators.
#include "glyph_raster.h"

#include <ft2build.h>
#include FT_FREETYPE_H

bool openFace(const char *path, int32_t pixelWidth, int32_t pixelHeight, FontFace *font,
              std::string *error) {
  if (FT_Init_FreeType(&font->library) != 0) {
    *error = "FreeType cannot start";
    return false;
  }
  if (FT_New_Face(font->library, path, 0, &font->face) != 0) {
    *error = std::string("cannot open the font ") + path;
    closeFace(font);
    return false;
  }
  if (FT_Set_Pixel_Sizes(font->face, static_cast<FT_UInt>(pixelWidth),
                         static_cast<FT_UInt>(pixelHeight)) != 0) {
    *error = "the font cannot be set to the wanted size";
    closeFace(font);
    return false;
  }
  return true;
}

void closeFace(FontFace *font) {
  if (font->face) FT_Done_Face(font->face);
  if (font->library) FT_Done_FreeType(font->library);
  font->face = nullptr;
  font->library = nullptr;
}

bool renderGlyph(const FontFace &font, uint32_t code, GlyphImage *glyph) {
  const FT_Int32 hinting =
      font.fullHinting ? FT_LOAD_TARGET_NORMAL | FT_LOAD_FORCE_AUTOHINT : FT_LOAD_TARGET_LIGHT;
  if (FT_Load_Char(font.face, code, FT_LOAD_RENDER | hinting) != 0) return false;
  const FT_GlyphSlot slot = font.face->glyph;
  const FT_Bitmap &bitmap = slot->bitmap;
  if (bitmap.pixel_mode != FT_PIXEL_MODE_GRAY && bitmap.rows > 0) return false;
  glyph->width = static_cast<int32_t>(bitmap.width);
  glyph->rows = static_cast<int32_t>(bitmap.rows);
  glyph->left = slot->bitmap_left;
  glyph->top = slot->bitmap_top;
  glyph->advance = static_cast<int32_t>((slot->advance.x + 32) >> 6);
  glyph->coverage.assign(static_cast<size_t>(glyph->width) * glyph->rows, 0);
  for (int32_t row = 0; row < glyph->rows; ++row) {
    for (int32_t column = 0; column < glyph->width; ++column) {
      glyph->coverage[static_cast<size_t>(row) * glyph->width + column] =
          bitmap.buffer[row * bitmap.pitch + column];
    }
  }
  return true;
}

int32_t measureText(const FontFace &font, const char *text) {
  int32_t width = 0;
  GlyphImage glyph;
  for (const char *p = text; *p; ++p) {
    if (renderGlyph(font, static_cast<unsigned char>(*p), &glyph)) width += glyph.advance;
  }
  return width;
}

void drawTextOn(Canvas &canvas, const FontFace &font, int32_t x, int32_t baselineY, const char *text,
                const unsigned char colour[3]) {
  GlyphImage glyph;
  for (const char *p = text; *p; ++p) {
    if (!renderGlyph(font, static_cast<unsigned char>(*p), &glyph)) continue;
    for (int32_t row = 0; row < glyph.rows; ++row) {
      const int32_t y = baselineY - glyph.top + row;
      if (y < 0 || y >= canvas.height) continue;
      for (int32_t column = 0; column < glyph.width; ++column) {
        const int32_t px = x + glyph.left + column;
        if (px < 0 || px >= canvas.width) continue;
        const unsigned alpha = glyph.coverage[static_cast<size_t>(row) * glyph.width + column];
        unsigned char *pixel = canvas.at(px, y);
        for (int c = 0; c < 3; ++c) {
          pixel[c] = static_cast<unsigned char>((colour[c] * alpha + pixel[c] * (255 - alpha) + 127) / 255);
        }
      }
    }
    x += glyph.advance;
  }
}
