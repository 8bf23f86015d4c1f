// Helpers of the image tests: loading BMP bytes through a real file or from
// memory, owning the result, and checking the one message box of a failure.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "image/dib_loader.h"
#include "platform/headless/headless.h"
#include "image/bmp_writer.h"
#include "support/savegame_writer.h"

struct ImageRecordDeleter {
  void operator()(ImageRecord *record) const { releaseImageRecord(record); }
};
using ImagePtr = std::unique_ptr<ImageRecord, ImageRecordDeleter>;

// Loads bytes written to a temporary file, as the viewer loads its pictures.
inline ImagePtr loadThroughFile(const std::vector<unsigned char> &bytes,
                                const std::string &name = "picture.bmp") {
  std::string path = temporaryPath(name);
  writeBytes(path, bytes);
  headlessClearMessageBoxes();
  ImagePtr image(loadDibFile(path.c_str()));
  std::remove(path.c_str());
  return image;
}

inline ImagePtr loadFromMemory(const std::vector<unsigned char> &bytes) {
  headlessClearMessageBoxes();
  return ImagePtr(loadDibMemory(bytes.data(), bytes.size()));
}

// The image loader's failure: exactly one box, owned by the focus window,
// captioned "Error", with the given text.
inline void expectOneErrorBox(const std::string &text) {
  const std::vector<RecordedMessageBox> &boxes = headlessMessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].owner, MESSAGE_OWNER_FOCUS_WINDOW);
  EXPECT_EQ(boxes[0].caption, "Error");
  EXPECT_EQ(boxes[0].text, text);
}

inline std::vector<unsigned char> pixelBytes(const ImageRecord &image) {
  size_t size = static_cast<size_t>(image.width) * image.height * 3;
  return std::vector<unsigned char>(image.pixels, image.pixels + size);
}

// Packed RGB bytes for 0xRRGGBB colours, in the given order.
inline std::vector<unsigned char> rgbBytes(const std::vector<uint32_t> &colours) {
  std::vector<unsigned char> out;
  for (uint32_t colour : colours) {
    out.push_back(static_cast<unsigned char>(colour >> 16));
    out.push_back(static_cast<unsigned char>(colour >> 8));
    out.push_back(static_cast<unsigned char>(colour));
  }
  return out;
}
