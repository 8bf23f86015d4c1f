// bmp-floor FILE: the least a whole process that loads a BMP file into a
// fresh 24-bit block has to do, as the yardstick for bmp-load-time: start,
// open and map the file, take an output block of width x |height| x 3 bytes
// from malloc advised for huge pages (as the loader advises its own), read
// every byte of the file once and write every byte of the block once, free
// it and exit. The block's bytes depend on the file's, so neither can be left
// out by the compiler. x86 only, like the benchmarks. Only the header's width and height are looked at.
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <emmintrin.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

int32_t readLe32(const unsigned char *bytes) {
  uint32_t value;
  std::memcpy(&value, bytes, 4);
  return static_cast<int32_t>(value);
}

void adviseHugePages(unsigned char *block, size_t bytes) {
  constexpr uintptr_t HUGE_PAGE = uintptr_t{2} << 20;
  if (bytes < 4 * HUGE_PAGE) return;
  uintptr_t start = (reinterpret_cast<uintptr_t>(block) + HUGE_PAGE - 1) & ~(HUGE_PAGE - 1);
  uintptr_t end = (reinterpret_cast<uintptr_t>(block) + bytes) & ~(HUGE_PAGE - 1);
  if (end > start) madvise(reinterpret_cast<void *>(start), end - start, MADV_HUGEPAGE);
}

}  // namespace

int main(int argc, char **argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: bmp-floor FILE\n");
    return 2;
  }
  int fd = open(argv[1], O_RDONLY);
  struct stat info;
  if (fd < 0 || fstat(fd, &info) != 0 || info.st_size < 26) {
    std::fprintf(stderr, "bmp-floor: cannot read %s\n", argv[1]);
    return 1;
  }
  size_t fileBytes = static_cast<size_t>(info.st_size);
  void *mapped = mmap(nullptr, fileBytes, PROT_READ, MAP_PRIVATE, fd, 0);
  if (mapped == MAP_FAILED) return 1;
  const unsigned char *file = static_cast<const unsigned char *>(mapped);
  int64_t width = readLe32(file + 18);
  int64_t height = readLe32(file + 22);
  if (height < 0) height = -height;
  if (width <= 0 || width > 32768 || height == 0 || height > 32768) return 1;
  size_t outBytes = static_cast<size_t>(width) * static_cast<size_t>(height) * 3;
  unsigned char *block = static_cast<unsigned char *>(std::malloc(outBytes));
  if (!block) return 1;
  adviseHugePages(block, outBytes);

  // One pass in step, as a loader goes: each 64 KB slice of the output
  // block is written after the matching share of the file was read, with a
  // byte that depends on what was read.
  constexpr size_t SLICE = size_t{64} << 10;
  size_t slices = (outBytes + SLICE - 1) / SLICE;
  size_t readAt = 0;
  __m128i seen = _mm_setzero_si128();
  for (size_t k = 0; k < slices; ++k) {
    size_t readEnd = k + 1 == slices ? fileBytes : fileBytes / slices * (k + 1);
    __m128i a = seen, b = seen, c = seen, d = seen;
    for (; readAt + 64 <= readEnd; readAt += 64) {
      const __m128i *at = reinterpret_cast<const __m128i *>(file + readAt);
      a = _mm_xor_si128(a, _mm_loadu_si128(at));
      b = _mm_xor_si128(b, _mm_loadu_si128(at + 1));
      c = _mm_xor_si128(c, _mm_loadu_si128(at + 2));
      d = _mm_xor_si128(d, _mm_loadu_si128(at + 3));
    }
    for (; readAt < readEnd; ++readAt) a = _mm_xor_si128(a, _mm_cvtsi32_si128(file[readAt]));
    seen = _mm_xor_si128(_mm_xor_si128(a, b), _mm_xor_si128(c, d));
    size_t at = k * SLICE;
    size_t length = outBytes - at < SLICE ? outBytes - at : SLICE;
    std::memset(block + at, (_mm_cvtsi128_si32(seen) & 0xFF) | 1, length);
  }

  std::printf("%d\n", block[outBytes - 1]);
  std::free(block);
  munmap(mapped, fileBytes);
  close(fd);
  return 0;
}
