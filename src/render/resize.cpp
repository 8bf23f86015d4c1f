// The projection and viewport for a new client size.
#include "render/resize.h"

#include "app/view.h"
#include "app/viewer_state.h"
#include "render/gl.h"

void resizeViewport(int32_t width, int32_t height) {
  // Zero height leaves no finite aspect ratio, and gluPerspective refuses an
  // aspect of zero without touching the matrix; either would leave the
  // projection unusable, so such a size is ignored.
  if (width <= 0 || height <= 0) return;

  viewerState.windowWidth = width;
  viewerState.windowHeight = height;
  const GLfloat aspect = static_cast<GLfloat>(width) / static_cast<GLfloat>(height);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(FIELD_OF_VIEW_DEGREES, aspect, static_cast<GLdouble>(NEAR_PLANE), FAR_PLANE);
  glViewport(0, 0, width, height);
}
