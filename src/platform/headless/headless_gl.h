// The headless platform's OpenGL: an offscreen context on Mesa's surfaceless
// EGL platform, drawing into a pbuffer the size of the imagined window. Frames
// are "presented" by finishing them, after which their pixels can be read.
#pragma once

#include <cstdint>
#include <string>

// Creates a desktop OpenGL compatibility-profile context (so OpenGL 1.1
// immediate mode and display lists work) with an RGB pbuffer of the given size
// and a depth buffer, and makes it current on the calling thread. Returns
// false, with nothing left current, when that is not possible; the reason is
// then available from headlessGlError(). Any earlier context is destroyed first.
bool headlessCreateGlContext(int32_t width, int32_t height);

// Replaces the pbuffer by one of the new size, keeping the context with its
// textures and display lists: what a window resize does to a real window.
bool headlessResizeGlSurface(int32_t width, int32_t height);

// Releases the context and its pbuffer. The EGL display stays initialised for
// the rest of the process (terminating it unloads the driver, and the
// allocations the driver keeps until then would be reported as leaks).
void headlessDestroyGlContext();

// Size of the current pbuffer (0 x 0 without a context).
int32_t headlessSurfaceWidth();
int32_t headlessSurfaceHeight();

// Copies the finished frame out of the pbuffer as packed RGB rows, top row
// first; rgb must hold width x height x 3 bytes of the current surface.
void headlessReadFrame(unsigned char *rgb);

// What went wrong in the last failed create or resize call.
const std::string &headlessGlError();
