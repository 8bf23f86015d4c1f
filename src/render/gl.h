// The one place that includes the OpenGL and GLU headers. On Windows they need
// <windows.h> first (for WINGDIAPI and APIENTRY); nothing else in the core
// includes it.
#pragma once

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

#include <GL/gl.h>
#include <GL/glu.h>

// OpenGL 1.2's edge clamp; the Windows headers stop at 1.1.
#ifndef GL_CLAMP_TO_EDGE
#define GL_CLAMP_TO_EDGE 0x812F
#endif
