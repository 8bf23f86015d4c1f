// bmp-load-time [--no-hash] FILE: loads FILE once through loadDibFile and
// prints the picture's size, the FNV-1a 64 hash of its pixel block in record
// order ("fnv1a64=<16 hex digits>"), and as its last line the nanoseconds from
// before the file was opened to the finished record, so that the loader can
// be timed from outside beside other decoders. --no-hash leaves the hash out
// (it takes longer than the load), for timing the whole process. A refused file prints the
// loader's message on standard error and exits with 1. Built a second time
// as bmp-load-time-scalar, which loads with the vector loops switched off,
// and a third as bmp-load-time-ssse3, whose vector loops stop at SSSE3.
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "image/dib_convert.h"
#include "image/dib_loader.h"
#include "platform/headless/headless.h"

namespace {

void printMessage(const char *caption, const char *text) { std::fprintf(stderr, "%s: %s\n", caption, text); }

uint64_t fnv1a64(const unsigned char *bytes, size_t size) {
  uint64_t hash = 0xcbf29ce484222325ULL;
  for (size_t i = 0; i < size; ++i) {
    hash ^= bytes[i];
    hash *= 0x100000001b3ULL;
  }
  return hash;
}

}  // namespace

int main(int argc, char **argv) {
  bool hash = !(argc == 3 && std::strcmp(argv[1], "--no-hash") == 0);
  if (argc != (hash ? 2 : 3)) {
    std::fprintf(stderr, "usage: bmp-load-time [--no-hash] FILE\n");
    return 2;
  }
  const char *file = argv[argc - 1];
  headlessSetMessageSink(printMessage);
#ifdef BMP_LOAD_SCALAR
  dibAllowVectorPaths(false);
#endif
#ifdef BMP_LOAD_SSSE3
  dibAllowAvx2(false);
#endif
  auto start = std::chrono::steady_clock::now();
  ImageRecord *image = loadDibFile(file);
  auto end = std::chrono::steady_clock::now();
  if (!image) return 1;
  size_t bytes = static_cast<size_t>(image->width) * static_cast<size_t>(image->height) * 3;
  std::printf("size=%dx%d\n", image->width, image->height);
  if (hash) std::printf("fnv1a64=%016" PRIx64 "\n", fnv1a64(image->pixels, bytes));
  std::printf("%lld\n",
              static_cast<long long>(std::chrono::duration_cast<std::chrono::nanoseconds>(end - start).count()));
  releaseImageRecord(image);
  return 0;
}
