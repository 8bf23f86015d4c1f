// The page's marker drawing (see page_markers.h): vertices gathered into one
// array per colour and drawn with one glDrawArrays each.
#include "render/page_markers.h"

#include <cmath>

#include "app/collected.h"
#include "app/collecting_route.h"
#include "app/gestures.h"
#include "app/map_point.h"
#include "app/viewer_state.h"
#include "render/frame.h"
#include "render/gl.h"
#include "render/marker_palette.h"

namespace {

struct Vertex {
  GLfloat x;
  GLfloat y;
  GLfloat z;
};

// Enough for the most one array ever holds: the route's line through every
// stop with its joints (a disc of 16 triangles each), or every collected
// outline as four edges of two triangles each.
constexpr int32_t VERTEX_CAPACITY = ROUTE_STOP_CAPACITY * (6 + 16 * 3 + 3) + 16 * 6 + 64;
static_assert(VERTEX_CAPACITY >= COLLECTED_CAPACITY * 4 * 6, "room for every collected outline");
Vertex vertices[VERTEX_CAPACITY];
int32_t vertexCount = 0;

constexpr GLfloat COLLECTED_BRIGHTNESS = 1.0f / 3.0f;
// A compact outline: a pale line (the kind's colour mixed with this much
// white) LINE_HALF layout pixels each side of the edge, on a black edge
// reaching HALO_HALF each side. The pale line is lighter than any map colour
// that the black edge does not stand 3:1 apart from.
constexpr GLfloat PALE_WHITE = 0.6f;
constexpr GLfloat LINE_HALF = 0.75f;
constexpr GLfloat HALO_HALF = 2.0f;
// The ring round the picked marker: white on a black edge, this many layout
// pixels outside the marker.
constexpr GLfloat RING_GAP = 4.0f;
constexpr GLfloat RING_HALF = 1.0f;
constexpr GLfloat RING_EDGE = 1.0f;
constexpr int32_t RING_SEGMENTS = 24;
constexpr GLfloat TWO_PI = 6.28318530717958647692f;

void add(GLfloat x, GLfloat y) {
  if (vertexCount < VERTEX_CAPACITY) vertices[vertexCount++] = {x, y, -viewerState.zoom};
}

void flush(GLenum mode) {
  if (vertexCount == 0) return;
  glEnableClientState(GL_VERTEX_ARRAY);
  glVertexPointer(3, GL_FLOAT, 0, vertices);
  glDrawArrays(mode, 0, vertexCount);
  glDisableClientState(GL_VERTEX_ARRAY);
  vertexCount = 0;
}

// A shape's corners placed about a marker, enlarged `scale` times.
void placeShape(const PickupMarker &marker, MarkerKind kind, float scale, GLfloat placed[4][2], int32_t *count) {
  const MarkerShape &shape = markerShape(kind, marker.z);
  const ScenePoint centre = markerScenePoint(marker);
  *count = shape.cornerCount;
  for (int32_t i = 0; i < shape.cornerCount; ++i) {
    placed[i][0] = centre.x + shape.corners[i][0] * scale;
    placed[i][1] = centre.y + shape.corners[i][1] * scale;
  }
}

void addFilled(const PickupMarker &marker, MarkerKind kind, float scale) {
  GLfloat c[4][2] = {};
  int32_t count = 0;
  placeShape(marker, kind, scale, c, &count);
  add(c[0][0], c[0][1]);
  add(c[1][0], c[1][1]);
  add(c[2][0], c[2][1]);
  if (count == 4) {
    add(c[0][0], c[0][1]);
    add(c[2][0], c[2][1]);
    add(c[3][0], c[3][1]);
  }
}

// The outline as lines, as the desktop's GL_LINE_LOOP draws it.
void addOutlineLines(const PickupMarker &marker, MarkerKind kind, float scale) {
  GLfloat c[4][2] = {};
  int32_t count = 0;
  placeShape(marker, kind, scale, c, &count);
  for (int32_t i = 0; i < count; ++i) {
    const int32_t next = (i + 1) % count;
    add(c[i][0], c[i][1]);
    add(c[next][0], c[next][1]);
  }
}

// A band `half` scene units each side of the segment, lengthened by as much
// at both ends, so that the bands of a shape's edges close its corners.
void addBand(GLfloat ax, GLfloat ay, GLfloat bx, GLfloat by, GLfloat half) {
  const GLfloat dx = bx - ax;
  const GLfloat dy = by - ay;
  const GLfloat length = std::sqrt(dx * dx + dy * dy);
  if (!(length > 0.0f)) return;
  const GLfloat ux = dx / length * half;
  const GLfloat uy = dy / length * half;
  const GLfloat a0x = ax - ux - uy, a0y = ay - uy + ux;
  const GLfloat a1x = ax - ux + uy, a1y = ay - uy - ux;
  const GLfloat b0x = bx + ux - uy, b0y = by + uy + ux;
  const GLfloat b1x = bx + ux + uy, b1y = by + uy - ux;
  add(a0x, a0y);
  add(a1x, a1y);
  add(b0x, b0y);
  add(b0x, b0y);
  add(a1x, a1y);
  add(b1x, b1y);
}

void addOutlineBands(const PickupMarker &marker, MarkerKind kind, float scale, GLfloat half) {
  GLfloat c[4][2] = {};
  int32_t count = 0;
  placeShape(marker, kind, scale, c, &count);
  for (int32_t i = 0; i < count; ++i) {
    const int32_t next = (i + 1) % count;
    addBand(c[i][0], c[i][1], c[next][0], c[next][1], half);
  }
}

const MarkerColours &colours() { return markerColours(viewerState.markerPalette); }

const GLfloat *kindColour(MarkerKind kind) { return kind == MARKER_PACKAGE ? colours().package : colours().rampage; }

GLfloat layoutPixel() { return static_cast<GLfloat>(scenePerPixel(viewerState.zoom) * viewerState.pixelScale); }

void drawCollectedOutlines(float scale) {
  const bool compact = compactLayout();
  for (const MarkerKind kind : {MARKER_PACKAGE, MARKER_RAMPAGE}) {
    const GLfloat *colour = kindColour(kind);
    for (int32_t pass = 0; pass < (compact ? 2 : 1); ++pass) {
      for (int32_t i = 0; i < viewerState.collectedCount; ++i) {
        const CollectedMarker &collected = viewerState.collected[i];
        if (collected.kind != kind || !collectedMarkerShown(collected)) continue;
        if (!compact) {
          addOutlineLines(collected.marker, kind, scale);
        } else {
          addOutlineBands(collected.marker, kind, scale, (pass == 0 ? HALO_HALF : LINE_HALF) * layoutPixel());
        }
      }
      if (!compact) {
        glColor3f(colour[0] * COLLECTED_BRIGHTNESS, colour[1] * COLLECTED_BRIGHTNESS, colour[2] * COLLECTED_BRIGHTNESS);
        flush(GL_LINES);
      } else if (pass == 0) {
        glColor3f(0.0f, 0.0f, 0.0f);
        flush(GL_TRIANGLES);
      } else {
        const auto pale = [colour](int32_t c) { return colour[c] + (1.0f - colour[c]) * PALE_WHITE; };
        glColor3f(pale(0), pale(1), pale(2));
        flush(GL_TRIANGLES);
      }
    }
  }
}

void drawFilled(const PickupMarker *markers, int32_t count, MarkerKind kind, float scale) {
  for (int32_t i = 0; i < count; ++i) addFilled(markers[i], kind, scale);
  glColor3fv(kindColour(kind));
  flush(GL_TRIANGLES);
}

void addRing(GLfloat x, GLfloat y, GLfloat inner, GLfloat outer) {
  for (int32_t i = 0; i < RING_SEGMENTS; ++i) {
    const GLfloat a0 = TWO_PI * static_cast<GLfloat>(i) / RING_SEGMENTS;
    const GLfloat a1 = TWO_PI * static_cast<GLfloat>(i + 1) / RING_SEGMENTS;
    const GLfloat c0 = std::cos(a0), s0 = std::sin(a0), c1 = std::cos(a1), s1 = std::sin(a1);
    add(x + inner * c0, y + inner * s0);
    add(x + outer * c0, y + outer * s0);
    add(x + outer * c1, y + outer * s1);
    add(x + inner * c0, y + inner * s0);
    add(x + outer * c1, y + outer * s1);
    add(x + inner * c1, y + inner * s1);
  }
}

void drawPickedRing(float scale) {
  if (!viewerState.pickedSet) return;
  const PickupMarker picked{viewerState.pickedX, viewerState.pickedY, 0.0f};
  const ScenePoint centre = markerScenePoint(picked);
  if (!std::isfinite(centre.x) || !std::isfinite(centre.y)) return;
  const GLfloat pixel = layoutPixel();
  const GLfloat radius = MARKER_ACROSS / 2.0f * scale + RING_GAP * pixel;
  addRing(centre.x, centre.y, radius - (RING_HALF + RING_EDGE) * pixel, radius + (RING_HALF + RING_EDGE) * pixel);
  glColor3f(0.0f, 0.0f, 0.0f);
  flush(GL_TRIANGLES);
  addRing(centre.x, centre.y, radius - RING_HALF * pixel, radius + RING_HALF * pixel);
  glColor3f(1.0f, 1.0f, 1.0f);
  flush(GL_TRIANGLES);
}

}  // namespace

void gatherVertex(float x, float y, float z) {
  if (vertexCount < VERTEX_CAPACITY) vertices[vertexCount++] = {x, y, z};
}

void drawGatheredVertices(uint32_t mode) { flush(mode); }

float pageMarkerScale() {
  if (!compactLayout()) return 1.0f;
  const GLfloat across = MARKER_NARROWEST / layoutPixel();
  return across >= COMPACT_MARKER_CSS ? 1.0f : COMPACT_MARKER_CSS / across;
}

void drawPageMarkers() {
  glDisable(GL_TEXTURE_2D);
  const float scale = pageMarkerScale();
  drawCollectedOutlines(scale);
  if (packagesShown()) drawFilled(viewerState.packages, viewerState.packageCount, MARKER_PACKAGE, scale);
  if (rampagesShown()) drawFilled(viewerState.rampages, viewerState.rampageCount, MARKER_RAMPAGE, scale);
  drawPickedRing(scale);
}
