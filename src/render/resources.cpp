// Start-up of the graphics: OpenGL state, textures and font lists.
#include "render/resources.h"

#include <cstdio>
#include <cstring>
#include <type_traits>

#include "app/viewer_state.h"
#include "image/dib_loader.h"
#include "render/font.h"
#include "render/gl.h"

static_assert(std::is_same<GLuint, uint32_t>::value,
              "texture names are kept in the state record as uint32_t");

namespace {

// Whether the current context's OpenGL version is at least major.minor; the
// version string starts with "major.minor" on every desktop driver.
bool glVersionAtLeast(int major, int minor) {
  const char *version = reinterpret_cast<const char *>(glGetString(GL_VERSION));
  int haveMajor = 0;
  int haveMinor = 0;
  if (!version || std::sscanf(version, "%d.%d", &haveMajor, &haveMinor) != 2) return false;
  return haveMajor > major || (haveMajor == major && haveMinor >= minor);
}

}  // namespace

void initGraphics() { initGraphicsFrom(FONT_PICTURE, MAP_PICTURE); }

bool initGraphicsFrom(const char *fontPath, const char *mapPath, const char *fontFallback,
                      const char *mapFallback) {
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_CULL_FACE);
  glEnable(GL_POLYGON_SMOOTH);
  const bool fontLoaded = loadTexture(fontPath, &viewerState.fontTexture, fontFallback);
  buildFont();
  const bool mapLoaded = loadTexture(mapPath, &viewerState.mapTexture, mapFallback);
  // The map is drawn once, edge to edge: with the default wrap, linear
  // filtering along its border mixes in the opposite border's texels, a strip
  // of the other side's colour. Clamp-to-edge came with OpenGL 1.2; a 1.1
  // driver keeps the default (its GL_CLAMP would mix in the border colour).
  // The font keeps the default wrap, which its texture coordinates rely on.
  if (glVersionAtLeast(1, 2)) {
    glBindTexture(GL_TEXTURE_2D, viewerState.mapTexture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  }
  return fontLoaded && mapLoaded;
}

bool loadTexture(const char *fileName, uint32_t *textureName, const char *fallbackName) {
  ImageRecord *image = loadDibFile(fileName);
  // The refused file has had its box, which stays the only report.
  if (!image && fallbackName && fallbackName[0] != '\0' && std::strcmp(fallbackName, fileName) != 0) {
    image = loadDibFile(fallbackName);
  }
  glGenTextures(1, textureName);
  glBindTexture(GL_TEXTURE_2D, *textureName);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  if (!image) return false;  // the loader has shown its box; the texture stays empty

  // The record's rows are packed (3 x width bytes). OpenGL's default unpack
  // alignment of 4 matches them only when the width is a multiple of 4; for
  // any other width it would read past the end of each row, and of the block.
  const bool packedRowsNeedAlignment1 = image->width % 4 != 0;
  if (packedRowsNeedAlignment1) glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexImage2D(GL_TEXTURE_2D, 0, 3, image->width, image->height, 0, GL_RGB, GL_UNSIGNED_BYTE,
               image->pixels);
  if (packedRowsNeedAlignment1) glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  releaseImageRecord(image);
  return true;
}
