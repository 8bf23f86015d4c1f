// Start-up of the graphics: OpenGL state, textures and font lists.
#include "render/resources.h"

#include <cstdio>
#include <cstring>
#include <type_traits>

#include "app/viewer_state.h"
#include "image/dib_loader.h"
#include "render/alignment_drawing.h"
#include "render/font.h"
#include "render/gl.h"

static_assert(std::is_same<GLuint, uint32_t>::value,
              "texture names are kept in the state record as uint32_t");

namespace {

// Whether the current context's OpenGL version is at least major.minor; the
// version string starts with "major.minor" on every desktop driver. A browser
// (or other embedded) context's starts with "OpenGL ES " and counts as desktop
// 1.2 from ES 2.0 on: all of 1.2 that is asked for here (edge clamp) is in it.
bool glVersionAtLeast(int major, int minor) {
  const char *version = reinterpret_cast<const char *>(glGetString(GL_VERSION));
  constexpr char ES_PREFIX[] = "OpenGL ES ";
  constexpr size_t ES_PREFIX_LENGTH = sizeof ES_PREFIX - 1;
  const bool embedded = version && std::strncmp(version, ES_PREFIX, ES_PREFIX_LENGTH) == 0;
  int haveMajor = 0;
  int haveMinor = 0;
  if (!version || std::sscanf(embedded ? version + ES_PREFIX_LENGTH : version, "%d.%d", &haveMajor, &haveMinor) != 2) {
    return false;
  }
  if (embedded) {
    if (haveMajor < 2) return false;
    haveMajor = 1;
    haveMinor = 2;
  }
  return haveMajor > major || (haveMajor == major && haveMinor >= minor);
}

// Creates a new 2D texture (linear filters, default wrap), leaves it bound
// and gives it the picture's rows, if there is a picture; releases the record.
bool makeTexture(ImageRecord *image, uint32_t *textureName) {
  glGenTextures(1, textureName);
  glBindTexture(GL_TEXTURE_2D, *textureName);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  if (!image) {
    // The loader has shown its box; the texture stays without the picture.
#ifdef __EMSCRIPTEN__
    // WebGL samples a texture without an image as black, where OpenGL draws
    // as if untextured: one white texel, under GL_MODULATE, is the same.
    static const unsigned char WHITE[3] = {255, 255, 255};
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 1, 1, 0, GL_RGB, GL_UNSIGNED_BYTE, WHITE);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
#endif
    return false;
  }

  // The record's rows are packed (3 x width bytes). OpenGL's default unpack
  // alignment of 4 matches them only when the width is a multiple of 4; for
  // any other width it would read past the end of each row, and of the block.
  const bool packedRowsNeedAlignment1 = image->width % 4 != 0;
  if (packedRowsNeedAlignment1) glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  // GL_RGB rather than the older 3, which means the same to OpenGL 1.1 but
  // which WebGL refuses.
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, image->width, image->height, 0, GL_RGB, GL_UNSIGNED_BYTE,
               image->pixels);
  if (packedRowsNeedAlignment1) glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  releaseImageRecord(image);
  return true;
}

bool loadTextureFromMemory(const PictureBytes &picture, uint32_t *textureName) {
  ImageRecord *image = nullptr;
  if (picture.bytes) {
    image = loadDibMemory(picture.bytes, picture.size);
  } else {
    showDibOpenFailed(picture.name);
  }
  return makeTexture(image, textureName);
}

// The start-up of initGraphicsFrom, with the pictures' textures made by
// loadFont and loadMap.
template <class LoadFont, class LoadMap>
bool initGraphicsWith(LoadFont loadFont, LoadMap loadMap) {
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_CULL_FACE);
  glEnable(GL_POLYGON_SMOOTH);
  const bool fontLoaded = loadFont(&viewerState.fontTexture);
  buildFont();
  const bool mapLoaded = loadMap(&viewerState.mapTexture);
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

}  // namespace

void initGraphics() { initGraphicsFrom(FONT_PICTURE, MAP_PICTURE); }

bool initGraphicsFrom(const char *fontPath, const char *mapPath, const char *fontFallback,
                      const char *mapFallback) {
  rememberBundledChart(mapFallback && mapFallback[0] != '\0' ? mapFallback : mapPath);
  return initGraphicsWith(
      [fontPath, fontFallback](uint32_t *texture) { return loadTexture(fontPath, texture, fontFallback); },
      [mapPath, mapFallback](uint32_t *texture) { return loadTexture(mapPath, texture, mapFallback); });
}

bool initGraphicsFromMemory(const PictureBytes &font, const PictureBytes &map) {
  return initGraphicsWith([&font](uint32_t *texture) { return loadTextureFromMemory(font, texture); },
                          [&map](uint32_t *texture) { return loadTextureFromMemory(map, texture); });
}

bool loadTexture(const char *fileName, uint32_t *textureName, const char *fallbackName) {
  ImageRecord *image = loadDibFile(fileName);
  // The refused file has had its box, which stays the only report.
  if (!image && fallbackName && fallbackName[0] != '\0' && std::strcmp(fallbackName, fileName) != 0) {
    image = loadDibFile(fallbackName);
  }
  return makeTexture(image, textureName);
}
