// Drawing one complete frame: the map, the markers and the overlay.
#pragma once

// Draws the whole picture from viewerState into the back buffer and presents
// it with platformSwapBuffers. Expects the projection and viewport of the last
// resize, and the state that initGraphics set. Leaves the model-view matrix
// selected, both matrix stacks as it found them, texturing on with the font
// texture bound, blending off, the colour white and the text blend function
// (GL_SRC_COLOR, GL_ONE_MINUS_SRC_COLOR) set. Allocates nothing.
void renderFrame();
