// What every platform does when the client area changes size.
#pragma once

#include <cstdint>

// Records the new client size in viewerState and rebuilds the perspective
// projection (30 degrees vertically, near 0.1, far 4096) and the viewport for
// it, leaving the projection matrix selected. A size without area (zero or
// negative width or height, as a minimised window reports) changes nothing, so
// the last projection stays usable. Needs a current OpenGL context.
void resizeViewport(int32_t width, int32_t height);
