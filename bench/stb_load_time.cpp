// stb-load-time FILE: decodes FILE once with stb_image to 24-bit pixels, the
// peer decoder beside bmp-load-time in the whole-process comparison. Exits
// with 1 when stb_image cannot read the file (it reads no RLE pictures).
#include <stb/stb_image.h>

#include <cstdio>

int main(int argc, char **argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: stb-load-time FILE\n");
    return 2;
  }
  int width = 0, height = 0, channels = 0;
  unsigned char *pixels = stbi_load(argv[1], &width, &height, &channels, 3);
  if (!pixels) return 1;
  std::printf("size=%dx%d\n", width, height);
  stbi_image_free(pixels);
  return 0;
}
