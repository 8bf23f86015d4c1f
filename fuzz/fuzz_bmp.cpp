// libFuzzer target for the BMP loader: any bytes as a file read by
// loadDibFile, the entry the graphics start-up uses. Beside the sanitizers it
// checks the loader's promises: a picture comes with no box, a side of 1 to
// 32768 pixels each way and a block of width x height x 3 bytes (the end of
// every row is read, so a short block shows); a refusal comes with exactly
// one box.
// The same bytes then go through loadDibMemory, the part of loadDibFile after
// the mapping, from libFuzzer's own heap copy: AddressSanitizer cannot see a
// read past the end of a mapped file (the rest of its last page reads as
// zeros), but it sees one past the end of a heap block. Both results must be
// the same, and the same again with the converter's vector loops switched
// off (the scalar code is the reference for every vector path) and, for a
// loaded picture, with their AVX2 forms off.
#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz_file.h"
#include "image/dib_convert.h"
#include "image/dib_format.h"
#include "image/dib_loader.h"
#include "platform/headless/headless.h"

namespace {
FuzzFile *input;
}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  input = new FuzzFile;
  return 0;
}

namespace {

// Checks one load's promises; returns the picture's byte count (0 for none).
size_t checkLoad(const ImageRecord *image) {
  const auto &boxes = headlessMessageBoxes();
  if (!image) {
    fuzzCheck(boxes.size() == 1, "a refused file did not give exactly one box");
    fuzzCheck(boxes[0].caption == "Error", "box caption");
    return 0;
  }
  fuzzCheck(boxes.empty(), "a loaded picture came with a box");
  fuzzCheck(image->width >= 1 && image->width <= DIB_MAX_SIDE, "width");
  fuzzCheck(image->height >= 1 && image->height <= DIB_MAX_SIDE, "height");
  size_t bytes = static_cast<size_t>(image->width) * static_cast<size_t>(image->height) * 3;
  // The last byte of every row is read, so a short block shows. Not every
  // byte: a complete 32768 x 32768 picture from a few bytes of RLE stream
  // is 3 GB, mostly untouched zero pages, and reading it all under the
  // fuzzer's instrumentation takes minutes.
  const size_t rowBytes = static_cast<size_t>(image->width) * 3;
  unsigned sum = 0;
  for (size_t end = rowBytes; end <= bytes; end += rowBytes) sum += image->pixels[end - 1];
  volatile unsigned keep = sum;
  (void)keep;
  return bytes;
}

// Loads the bytes from memory again (the converter's switches set by the
// caller) and requires first's result: a refusal again, or the same pixels.
void expectSameLoad(const uint8_t *data, size_t size, const ImageRecord *first, size_t bytes, const char *what) {
  headlessClearMessageBoxes();
  ImageRecord *again = loadDibMemory(data, size);
  fuzzCheck(checkLoad(again) == bytes, what);
  fuzzCheck(bytes == 0 || std::memcmp(first->pixels, again->pixels, bytes) == 0, what);
  releaseImageRecord(again);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  input->write(data, size);
  headlessClearMessageBoxes();
  ImageRecord *fromFile = loadDibFile(input->path());
  size_t bytes = checkLoad(fromFile);
  std::string fileBox = headlessMessageBoxes().empty() ? "" : headlessMessageBoxes()[0].text;

  // An empty file cannot be mapped, so loadDibFile never hands it on.
  if (size > 0) {
    headlessClearMessageBoxes();
    ImageRecord *fromMemory = loadDibMemory(data, size);
    fuzzCheck(checkLoad(fromMemory) == bytes, "file and memory loads differ in size");
    fuzzCheck(bytes == 0 || (fromFile->width == fromMemory->width && fromFile->height == fromMemory->height &&
                             std::memcmp(fromFile->pixels, fromMemory->pixels, bytes) == 0),
              "file and memory loads differ in their pixels");
    fuzzCheck(bytes > 0 || headlessMessageBoxes()[0].text == fileBox, "file and memory loads differ in their box");
    releaseImageRecord(fromMemory);

    dibAllowVectorPaths(false);
    expectSameLoad(data, size, fromFile, bytes, "vector and scalar loads differ");
    dibAllowVectorPaths(true);
    // AVX2 only changes how a picture's pixels are written.
    if (bytes > 0) {
      dibAllowAvx2(false);
      expectSameLoad(data, size, fromFile, bytes, "AVX2 and SSSE3 loads differ");
      dibAllowAvx2(true);
    }
  }
  releaseImageRecord(fromFile);
  return 0;
}
