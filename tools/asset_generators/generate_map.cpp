// generate_map FONT.ttf OUT.bmp: draws the neutral chart that stands in for a
// map picture of the game: the savegame area from -2000 to 2000 on both axes
// on a 1024 x 1024 picture, a grid line every 250 units, stronger lines every
// 1000, the two axes and the frame strongest, and the axes labelled. Every
// colour is a grey of slate blue, so that no pixel is the pure red or pure
// green of the markers drawn over it.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "image/chart_colours.h"
#include "glyph_raster.h"
#include "image/bmp_writer.h"

namespace {

constexpr int32_t SIZE = 1024;
constexpr int32_t EXTENT = 2000;                  // savegame units from the centre to an edge
constexpr int32_t MINOR_STEP = SIZE / 16;         // 250 units
constexpr int32_t MAJOR_STEP = SIZE / 4;          // 1000 units
constexpr int32_t LABEL_SIZE = 22;                // pixels; still readable when the map is shown small
constexpr int32_t NOTE_SIZE = 18;

const unsigned char MINOR_LINE[3] = {62, 72, 84};
const unsigned char MAJOR_LINE[3] = {96, 108, 122};
const unsigned char AXIS_LINE[3] = {142, 154, 168};
const unsigned char LABEL[3] = {190, 198, 208};
const unsigned char NOTE[3] = {128, 138, 150};

void fill(Canvas &canvas, int32_t left, int32_t top, int32_t width, int32_t height,
          const unsigned char colour[3]) {
  for (int32_t y = top; y < top + height; ++y) {
    for (int32_t x = left; x < left + width; ++x) {
      if (x < 0 || y < 0 || x >= canvas.width || y >= canvas.height) continue;
      unsigned char *pixel = canvas.at(x, y);
      pixel[0] = colour[0];
      pixel[1] = colour[1];
      pixel[2] = colour[2];
    }
  }
}

// A vertical and a horizontal line through picture position p (a multiple
// of the minor step), `thickness` pixels wide and centred on the boundary
// between pixels p - 1 and p where the thickness allows.
void gridLines(Canvas &canvas, int32_t p, int32_t thickness, const unsigned char colour[3]) {
  int32_t start = p - thickness / 2;
  if (start < 0) start = 0;
  if (start + thickness > SIZE) start = SIZE - thickness;
  fill(canvas, start, 0, thickness, SIZE, colour);
  fill(canvas, 0, start, SIZE, thickness, colour);
}

// Savegame coordinate of picture column p (rows run the other way).
int32_t unitsAt(int32_t p) { return p * 2 * EXTENT / SIZE - EXTENT; }

void drawGrid(Canvas &canvas) {
  fill(canvas, 0, 0, SIZE, SIZE, CHART_PAPER);
  for (int32_t p = 0; p <= SIZE; p += MINOR_STEP) gridLines(canvas, p, 1, MINOR_LINE);
  for (int32_t p = 0; p <= SIZE; p += MAJOR_STEP) gridLines(canvas, p, 2, MAJOR_LINE);
  gridLines(canvas, SIZE / 2, 3, AXIS_LINE);
  gridLines(canvas, 0, 3, AXIS_LINE);
  gridLines(canvas, SIZE, 3, AXIS_LINE);
}

// Labels every 1000 units: along the x axis just below it, along the y axis
// just right of it, kept inside the picture at the edges.
void drawLabels(Canvas &canvas, const FontFace &font) {
  const int32_t gap = 6;
  for (int32_t p = 0; p <= SIZE; p += MAJOR_STEP) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", unitsAt(p));
    const int32_t width = measureText(font, text);

    int32_t x = p + gap;
    if (p == SIZE) x = SIZE - width - gap;
    drawTextOn(canvas, font, x, SIZE / 2 + gap + LABEL_SIZE, text, LABEL);

    if (p == SIZE / 2) continue;  // the centre is labelled once, on the x axis
    int32_t baseline = SIZE - p - gap;
    if (p == 0) baseline = SIZE - gap - 4;
    if (p == SIZE) baseline = gap + LABEL_SIZE;
    drawTextOn(canvas, font, SIZE / 2 + gap, baseline, text, LABEL);
  }
  drawTextOn(canvas, font, SIZE - measureText(font, "x") - 2 * gap, SIZE / 2 - gap, "x", LABEL);
  drawTextOn(canvas, font, SIZE / 2 - measureText(font, "y") - 2 * gap, gap + LABEL_SIZE, "y", LABEL);
}

void drawNotes(Canvas &canvas, const FontFace &font) {
  drawTextOn(canvas, font, 14, 32, "KZR Tern Haven: chart of -2000 .. 2000", NOTE);
  drawTextOn(canvas, font, 14, 32 + NOTE_SIZE + 6, "grid 250, strong lines 1000", NOTE);
  drawTextOn(canvas, font, 14, SIZE - 16, "Own map: package-tool map PICTURE THmap.bmp", NOTE);
}

bool hasMarkerColour(const Canvas &canvas) {
  for (size_t i = 0; i < canvas.rgb.size(); i += 3) {
    const unsigned char *p = &canvas.rgb[i];
    if ((p[0] == 255 && p[1] == 0 && p[2] == 0) || (p[0] == 0 && p[1] == 255 && p[2] == 0)) return true;
  }
  return false;
}

}  // namespace

int main(int argc, char **argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: generate_map FONT.ttf OUT.bmp\n");
    return 2;
  }
  Canvas canvas(SIZE, SIZE);
  drawGrid(canvas);

  FontFace labels;
  FontFace notes;
  std::string error;
  if (!openFace(argv[1], LABEL_SIZE, LABEL_SIZE, &labels, &error) ||
      !openFace(argv[1], NOTE_SIZE, NOTE_SIZE, &notes, &error)) {
    std::fprintf(stderr, "generate_map: %s\n", error.c_str());
    closeFace(&labels);
    return 1;
  }
  drawLabels(canvas, labels);
  drawNotes(canvas, notes);
  closeFace(&labels);
  closeFace(&notes);

  if (hasMarkerColour(canvas)) {
    std::fprintf(stderr, "generate_map: the chart uses a marker colour\n");
    return 1;
  }
  if (!writeBmp24(argv[2], canvas)) {
    std::perror(argv[2]);
    return 1;
  }
  return 0;
}
