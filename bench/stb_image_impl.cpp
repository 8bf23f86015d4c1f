// stb_image's implementation, compiled here with the benchmarks' own
// optimisation so that it is timed as fairly as our loader. Only its BMP
// reader is needed.
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_BMP
#include <stb/stb_image.h>
