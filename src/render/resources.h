// The graphics resources made once at start-up: the fixed OpenGL state, the
// font and map textures and the font's display lists.
#pragma once

#include <cstdint>

// Sets depth test and face culling off and polygon smoothing on, then loads
// "font.bmp" (from the working directory), builds the font lists and loads
// "THmap.bmp", whose texture clamps to its edges where OpenGL 1.2 or later
// runs (the font's repeats). A picture that fails to load has been reported
// by the loader's own box; its texture is still created but stays without an
// image, so that part of the frame is drawn untextured. Needs a current
// OpenGL context.
void initGraphics();

// Creates a new 2D texture from the named BMP file (linear filters, default
// wrap) and stores its name in *textureName. The new texture is left bound.
void loadTexture(const char *fileName, uint32_t *textureName);
