// The overlay of the compact layout (app/gestures.h): the counts in a strip
// along the top, where the map square, filling the width, leaves room, and a
// help page that tells the fingers and buttons of the page. Drawn in layout
// pixels between the renderer's enterOverlay and leaveOverlay.
#pragma once

#include <cstdint>

// The strip's height in layout pixels.
constexpr int32_t COMPACT_STRIP_HEIGHT = 44;

// The strip's background, or the help page's.
void drawCompactBackground();
// The counts, or the help page's text; leaves the text blend function set.
void drawCompactText();

// A filled rectangle in overlay pixels (frame.cpp).
void fillRectangle(int32_t left, int32_t top, int32_t right, int32_t bottom);

// The legend's shapes over the LEGEND_SHAPE blanks of a text row drawn at
// (left, top), from LEGEND_SHAPES[firstShape] on (frame.cpp).
void drawLegendShapes(int32_t left, int32_t top, const char *row, int32_t firstShape);
