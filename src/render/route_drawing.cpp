// The route of 'R' as one can follow it: a line a few pixels wide with a dark
// edge, so that it reads on any map picture; a ring where it starts; an
// arrowhead at the middle of each leg long enough to hold one; and the next
// stops numbered beside their markers. Everything is drawn as triangles with
// sizes in pixels (WebGL draws only 1-pixel lines).
#include "render/route_drawing.h"

#include <cmath>
#include <cstdio>

#include "app/gestures.h"
#include "app/map_point.h"
#include "app/view.h"
#include "app/viewer_state.h"
#include "render/font.h"
#include "render/frame.h"
#include "render/gl.h"
#include "render/marker_palette.h"
#include "render/page_markers.h"

namespace {

constexpr float EDGE_COLOUR[3] = {0.0f, 0.0f, 0.0f};
constexpr float LINE_HALF_WIDTH = 1.0f;  // pixels: a line 2 pixels wide
constexpr float EDGE_WIDTH = 1.5f;       // pixels of dark edge on each side
constexpr float RING_OUTER = 8.0f;
constexpr float RING_INNER = 5.0f;
constexpr float ARROW_LENGTH = 10.0f;
constexpr float ARROW_HALF_WIDTH = 5.0f;
// A leg holds an arrowhead when it is this many arrowheads long: the head
// then stands clear of the markers at both ends.
constexpr float ARROW_ROOM = 3.0f;
constexpr int32_t CIRCLE_SEGMENTS = 16;
constexpr float TWO_PI = 6.28318530717958647692f;

struct Point {
  float x;
  float y;
};

// The page gathers the triangles into one array (render/page_markers.h); the
// desktop hands them to glVertex one by one. The same triangles either way.
void vertex(Point p) {
  if (viewerState.pageDrawing) {
    gatherVertex(p.x, p.y, -viewerState.zoom);
  } else {
    glVertex3f(p.x, p.y, -viewerState.zoom);
  }
}

void triangle(Point a, Point b, Point c) {
  vertex(a);
  vertex(b);
  vertex(c);
}

// A leg from a to b, `halfWidth` scene units each side of it.
void band(Point a, Point b, float halfWidth) {
  const float dx = b.x - a.x;
  const float dy = b.y - a.y;
  const float length = std::sqrt(dx * dx + dy * dy);
  if (!(length > 0.0f)) return;
  const float nx = -dy / length * halfWidth;
  const float ny = dx / length * halfWidth;
  const Point a1{a.x + nx, a.y + ny};
  const Point a2{a.x - nx, a.y - ny};
  const Point b1{b.x + nx, b.y + ny};
  const Point b2{b.x - nx, b.y - ny};
  triangle(a1, a2, b1);
  triangle(b1, a2, b2);
}

// A ring between two radii; an inner radius of 0 makes a disc.
void ring(Point centre, float inner, float outer) {
  for (int32_t i = 0; i < CIRCLE_SEGMENTS; ++i) {
    const float a0 = TWO_PI * static_cast<float>(i) / CIRCLE_SEGMENTS;
    const float a1 = TWO_PI * static_cast<float>(i + 1) / CIRCLE_SEGMENTS;
    const Point o0{centre.x + outer * std::cos(a0), centre.y + outer * std::sin(a0)};
    const Point o1{centre.x + outer * std::cos(a1), centre.y + outer * std::sin(a1)};
    if (inner <= 0.0f) {
      triangle(centre, o0, o1);
      continue;
    }
    const Point i0{centre.x + inner * std::cos(a0), centre.y + inner * std::sin(a0)};
    const Point i1{centre.x + inner * std::cos(a1), centre.y + inner * std::sin(a1)};
    triangle(i0, o0, o1);
    triangle(i0, o1, i1);
  }
}

// An arrowhead at the middle of the leg from a to b, pointing to b, grown by
// `grow` scene units all round for its edge.
void arrowhead(Point a, Point b, float pixel, float grow) {
  const float dx = b.x - a.x;
  const float dy = b.y - a.y;
  const float length = std::sqrt(dx * dx + dy * dy);
  if (!(length >= ARROW_ROOM * ARROW_LENGTH * pixel)) return;
  const float ux = dx / length;
  const float uy = dy / length;
  const float half = ARROW_LENGTH * pixel / 2.0f + grow;
  const float side = ARROW_HALF_WIDTH * pixel + grow;
  const Point middle{(a.x + b.x) / 2.0f, (a.y + b.y) / 2.0f};
  const Point tip{middle.x + ux * half, middle.y + uy * half};
  const Point back{middle.x - ux * half, middle.y - uy * half};
  triangle(tip, Point{back.x - uy * side, back.y + ux * side}, Point{back.x + uy * side, back.y - ux * side});
}

Point routePoint(int32_t i) {
  const ViewerState &state = viewerState;
  if (i == 0) {
    const PickupMarker start{static_cast<float>(state.routeStartX), static_cast<float>(state.routeStartY), 0.0f};
    const ScenePoint point = markerScenePoint(start);
    return {point.x, point.y};
  }
  const RouteStop &stop = state.routeStops[i - 1];
  const ScenePoint point = markerScenePoint(PickupMarker{stop.x, stop.y, stop.z});
  return {point.x, point.y};
}

// The line, its joints, the start ring and the arrowheads, each grown by
// `grow` pixels: once in the edge colour, then in the line's own.
void drawRouteShapes(float pixel, float grow) {
  const int32_t pointCount = viewerState.routeStopCount + 1;
  const float halfWidth = (LINE_HALF_WIDTH + grow) * pixel;
  if (!viewerState.pageDrawing) glBegin(GL_TRIANGLES);
  for (int32_t i = 1; i < pointCount; ++i) {
    Point from = routePoint(i - 1);
    const Point to = routePoint(i);
    if (i == 1) {
      // The first leg leaves from the start ring, which stays open.
      const float dx = to.x - from.x;
      const float dy = to.y - from.y;
      const float length = std::sqrt(dx * dx + dy * dy);
      const float inset = RING_INNER * pixel;
      if (!(length > inset)) continue;
      from = Point{from.x + dx / length * inset, from.y + dy / length * inset};
    }
    band(from, to, halfWidth);
  }
  // Round joints close the gaps where legs meet at an angle.
  for (int32_t i = 1; i + 1 < pointCount; ++i) ring(routePoint(i), 0.0f, halfWidth);
  ring(routePoint(0), (RING_INNER - grow) * pixel, (RING_OUTER + grow) * pixel);
  for (int32_t i = 1; i < pointCount; ++i) arrowhead(routePoint(i - 1), routePoint(i), pixel, grow * pixel);
  if (viewerState.pageDrawing) {
    drawGatheredVertices(GL_TRIANGLES);
  } else {
    glEnd();
  }
}

}  // namespace

void drawRouteLine() {
  glDisable(GL_TEXTURE_2D);
  // The line keeps its width in layout pixels, whole device pixels each.
  const float pixel = static_cast<float>(scenePerPixel(viewerState.zoom)) * static_cast<float>(viewerState.pixelScale);
  glColor3fv(EDGE_COLOUR);
  drawRouteShapes(pixel, EDGE_WIDTH);
  glColor3fv(markerColours(viewerState.markerPalette).routeLine);
  drawRouteShapes(pixel, 0.0f);
}

void drawRouteStopNumbers() {
  const ViewerState &state = viewerState;
  const int32_t count = state.routeStopCount < NUMBERED_STOP_COUNT ? state.routeStopCount : NUMBERED_STOP_COUNT;
  if (count == 0) return;
  // Each number on a dark square, up and to the right of its marker; a
  // number whose square lies outside the window is left out.
  int32_t x[NUMBERED_STOP_COUNT];
  int32_t y[NUMBERED_STOP_COUNT];
  bool inside[NUMBERED_STOP_COUNT];
  for (int32_t i = 0; i < count; ++i) {
    double pixelX;
    double pixelY;
    pixelOfSavegamePoint(state.routeStops[i].x, state.routeStops[i].y, &pixelX, &pixelY);
    // The overlay counts layout pixels.
    pixelX = std::floor(pixelX / state.pixelScale) + STOP_NUMBER_OFFSET;
    pixelY = std::floor(pixelY / state.pixelScale) - STOP_NUMBER_OFFSET - STOP_NUMBER_SIZE;
    inside[i] = pixelX > -STOP_NUMBER_SIZE && pixelX < layoutWidth() && pixelY > -STOP_NUMBER_SIZE &&
                pixelY < layoutHeight();
    x[i] = inside[i] ? static_cast<int32_t>(pixelX) : 0;
    y[i] = inside[i] ? static_cast<int32_t>(pixelY) : 0;
  }
  glLoadIdentity();
  glDisable(GL_TEXTURE_2D);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glColor4f(EDGE_COLOUR[0], EDGE_COLOUR[1], EDGE_COLOUR[2], 0.75f);
  glBegin(GL_QUADS);
  for (int32_t i = 0; i < count; ++i) {
    if (!inside[i]) continue;
    const float left = static_cast<float>(x[i]);
    const float top = static_cast<float>(y[i]);
    glVertex2f(left, top);
    glVertex2f(left + STOP_NUMBER_SIZE, top);
    glVertex2f(left + STOP_NUMBER_SIZE, top + STOP_NUMBER_SIZE);
    glVertex2f(left, top + STOP_NUMBER_SIZE);
  }
  glEnd();
  glEnable(GL_TEXTURE_2D);
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  glBlendFunc(GL_SRC_COLOR, GL_ONE_MINUS_SRC_COLOR);
  for (int32_t i = 0; i < count; ++i) {
    if (!inside[i]) continue;
    const char digit[2] = {static_cast<char>('1' + i), '\0'};
    drawText(x[i], y[i], digit);
  }
  glEnable(GL_BLEND);  // drawText leaves blending off
  glLoadIdentity();
  glDisable(GL_TEXTURE_2D);
}
