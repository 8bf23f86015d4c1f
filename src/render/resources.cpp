// Start-up of the graphics: OpenGL state, textures and font lists.
#include "render/resources.h"

#include <type_traits>

#include "app/viewer_state.h"
#include "image/dib_loader.h"
#include "render/font.h"
#include "render/gl.h"

static_assert(std::is_same<GLuint, uint32_t>::value,
              "texture names are kept in the state record as uint32_t");

void initGraphics() { initGraphicsFrom(FONT_PICTURE, MAP_PICTURE); }

void initGraphicsFrom(const char *fontPath, const char *mapPath) {
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_CULL_FACE);
  glEnable(GL_POLYGON_SMOOTH);
  loadTexture(fontPath, &viewerState.fontTexture);
  buildFont();
  loadTexture(mapPath, &viewerState.mapTexture);
}

void loadTexture(const char *fileName, uint32_t *textureName) {
  ImageRecord *image = loadDibFile(fileName);
  glGenTextures(1, textureName);
  glBindTexture(GL_TEXTURE_2D, *textureName);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  if (!image) return;  // the loader has shown its box; the texture stays empty

  // The record's rows are packed (3 x width bytes). OpenGL's default unpack
  // alignment of 4 matches them only when the width is a multiple of 4; for
  // any other width it would read past the end of each row, and of the block.
  const bool packedRowsNeedAlignment1 = image->width % 4 != 0;
  if (packedRowsNeedAlignment1) glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexImage2D(GL_TEXTURE_2D, 0, 3, image->width, image->height, 0, GL_RGB, GL_UNSIGNED_BYTE,
               image->pixels);
  if (packedRowsNeedAlignment1) glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  releaseImageRecord(image);
}
