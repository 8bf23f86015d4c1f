// Offscreen OpenGL for tests and the command-line tool, through EGL on Mesa's
// surfaceless platform (no display server, software rendering by llvmpipe
// when there is no GPU).
#include "platform/headless/headless_gl.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/platform.h"
#include "render/gl.h"

namespace {

EGLDisplay display = EGL_NO_DISPLAY;
EGLConfig config = nullptr;
EGLContext context = EGL_NO_CONTEXT;
EGLSurface surface = EGL_NO_SURFACE;
int32_t surfaceWidth = 0;
int32_t surfaceHeight = 0;
std::string lastError;

bool fail(const char *what) {
  char text[160];
  std::snprintf(text, sizeof text, "%s (EGL error 0x%04X)", what,
                static_cast<unsigned>(eglGetError()));
  lastError = text;
  return false;
}

bool hasExtension(const char *list, const char *name) {
  if (!list) return false;
  const size_t length = std::strlen(name);
  for (const char *p = std::strstr(list, name); p; p = std::strstr(p + 1, name)) {
    if ((p == list || p[-1] == ' ') && (p[length] == ' ' || p[length] == '\0')) return true;
  }
  return false;
}

// The display is opened once and kept: see headlessDestroyGlContext.
bool openDisplay() {
  if (display != EGL_NO_DISPLAY) return true;
  const char *clientExtensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
  if (!hasExtension(clientExtensions, "EGL_MESA_platform_surfaceless")) {
    return fail("EGL has no surfaceless platform (EGL_MESA_platform_surfaceless)");
  }
  auto getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
      eglGetProcAddress("eglGetPlatformDisplayEXT"));
  if (!getPlatformDisplay) return fail("eglGetPlatformDisplayEXT is missing");
  EGLDisplay opened = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
  if (opened == EGL_NO_DISPLAY) return fail("no surfaceless EGL display");
  EGLint major = 0;
  EGLint minor = 0;
  if (!eglInitialize(opened, &major, &minor)) return fail("eglInitialize failed");

  const EGLint wanted[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT,
                           EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,
                           EGL_RED_SIZE, 8, EGL_GREEN_SIZE, 8, EGL_BLUE_SIZE, 8,
                           EGL_DEPTH_SIZE, 16,
                           EGL_NONE};
  EGLint found = 0;
  if (!eglChooseConfig(opened, wanted, &config, 1, &found) || found < 1) {
    return fail("no EGL configuration with an RGB pbuffer for desktop OpenGL");
  }
  display = opened;
  return true;
}

EGLSurface createSurface(int32_t width, int32_t height) {
  const EGLint size[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
  return eglCreatePbufferSurface(display, config, size);
}

}  // namespace

bool headlessCreateGlContext(int32_t width, int32_t height) {
  headlessDestroyGlContext();
  if (width <= 0 || height <= 0) {
    lastError = "the surface needs a positive width and height";
    return false;
  }
  if (!openDisplay()) return false;
  if (!eglBindAPI(EGL_OPENGL_API)) return fail("desktop OpenGL is not available through EGL");

  const EGLint attributes[] = {EGL_CONTEXT_OPENGL_PROFILE_MASK,
                               EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT, EGL_NONE};
  context = eglCreateContext(display, config, EGL_NO_CONTEXT, attributes);
  if (context == EGL_NO_CONTEXT) return fail("cannot create an OpenGL compatibility context");
  surface = createSurface(width, height);
  if (surface == EGL_NO_SURFACE) {
    fail("cannot create the pbuffer");
    headlessDestroyGlContext();
    return false;
  }
  if (!eglMakeCurrent(display, surface, surface, context)) {
    fail("cannot make the OpenGL context current");
    headlessDestroyGlContext();
    return false;
  }
  surfaceWidth = width;
  surfaceHeight = height;
  return true;
}

bool headlessResizeGlSurface(int32_t width, int32_t height) {
  if (context == EGL_NO_CONTEXT) {
    lastError = "there is no OpenGL context to resize";
    return false;
  }
  if (width <= 0 || height <= 0) {
    lastError = "the surface needs a positive width and height";
    return false;
  }
  EGLSurface resized = createSurface(width, height);
  if (resized == EGL_NO_SURFACE) return fail("cannot create the resized pbuffer");
  if (!eglMakeCurrent(display, resized, resized, context)) {
    eglDestroySurface(display, resized);
    return fail("cannot make the resized pbuffer current");
  }
  eglDestroySurface(display, surface);
  surface = resized;
  surfaceWidth = width;
  surfaceHeight = height;
  return true;
}

void headlessDestroyGlContext() {
  if (display == EGL_NO_DISPLAY) return;
  eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
  if (surface != EGL_NO_SURFACE) eglDestroySurface(display, surface);
  if (context != EGL_NO_CONTEXT) eglDestroyContext(display, context);
  surface = EGL_NO_SURFACE;
  context = EGL_NO_CONTEXT;
  surfaceWidth = 0;
  surfaceHeight = 0;
}

int32_t headlessSurfaceWidth() { return surfaceWidth; }
int32_t headlessSurfaceHeight() { return surfaceHeight; }

void headlessReadFrame(unsigned char *rgb) {
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, surfaceWidth, surfaceHeight, GL_RGB, GL_UNSIGNED_BYTE, rgb);
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  // OpenGL's rows start at the bottom; turn them into top-first order.
  const size_t rowBytes = static_cast<size_t>(surfaceWidth) * 3;
  for (int32_t top = 0, bottom = surfaceHeight - 1; top < bottom; ++top, --bottom) {
    std::swap_ranges(rgb + top * rowBytes, rgb + (top + 1) * rowBytes, rgb + bottom * rowBytes);
  }
}

const std::string &headlessGlError() { return lastError; }

// A pbuffer has no front buffer to show; finishing the frame is what makes
// its pixels ready to read back.
void platformSwapBuffers() { glFinish(); }
