// The bitmap font of the overlay: 256 display lists, one per character code,
// each drawing its 16 x 16 cell of the font texture and moving the pen 16
// units to the right.
#pragma once

#include <cstdint>

// Compiles the 256 character lists and stores the first name in
// viewerState.fontListBase. Needs a current OpenGL context.
void buildFont();

// Draws text with the top-left corner of its first character at pixel (x, y)
// of the overlay, with one list call for the whole string. The caller selects
// the model-view matrix, binds and enables the font texture and sets colour and
// blend function; blending is switched on for the text and off afterwards.
// Bytes above 127 name no list and draw nothing. Positions may be negative, so
// that text of a window narrower than the text is cut at the left edge.
void drawText(int32_t x, int32_t y, const char *text);
