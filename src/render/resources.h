// The graphics resources made once at start-up: the fixed OpenGL state, the
// font and map textures and the font's display lists.
#pragma once

#include <cstddef>
#include <cstdint>

// The file names of the two pictures. A platform looks for them where the
// program keeps its data and passes the paths it found to initGraphicsFrom.
constexpr const char *FONT_PICTURE = "font.bmp";
constexpr const char *MAP_PICTURE = "THmap.bmp";

// Sets depth test and face culling off and polygon smoothing on, then loads
// the font picture from fontPath, builds the font lists and loads the map
// picture from mapPath (both 8-bit paths, opened unchanged: a relative one
// from the working directory), whose texture clamps to its edges where OpenGL
// 1.2 or later runs (the font's repeats). A picture that fails to load has
// been reported by the loader's own box, which names the path as given; its
// texture is still created but stays without an image, so that part of the
// frame is drawn untextured. Needs a current OpenGL context.
// A picture refused after its box is taken from its bundled copy instead
// (fontFallback, mapFallback: the program's own copies, or null or empty when
// there are none), unless that is the very file just refused: a picture of
// the player's own that the loader cannot read still leaves a usable map.
// Returns whether both pictures loaded.
bool initGraphicsFrom(const char *fontPath, const char *mapPath, const char *fontFallback = nullptr,
                      const char *mapFallback = nullptr);

// A picture whose bytes the platform fetched itself (the browser, from beside
// the page): name as the platform knows it, and bytes null when it could not
// be had.
struct PictureBytes {
  const char *name;
  const unsigned char *bytes;
  size_t size;
};

// initGraphicsFrom with pictures already in memory: every step, texture and
// box the same, a picture without bytes reported as a file that cannot be
// opened.
bool initGraphicsFromMemory(const PictureBytes &font, const PictureBytes &map);

// initGraphicsFrom("font.bmp", "THmap.bmp"): both pictures from the working
// directory.
void initGraphics();

// Creates a new 2D texture from the named BMP file (linear filters, default
// wrap) and stores its name in *textureName; when that file is refused, from
// fallbackName as initGraphicsFrom says. The new texture is left bound.
// Returns whether a picture loaded.
bool loadTexture(const char *fileName, uint32_t *textureName, const char *fallbackName = nullptr);
