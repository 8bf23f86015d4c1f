// Pictures of the player's own: for now BMP files through the program's own
// loader (its boxes tell what is wrong).
#include "image/picture.h"

#include <cstring>

#include "image/dib_loader.h"

namespace {

bool fromRecord(ImageRecord *record, Picture *picture, std::string *reason) {
  if (!record) {
    *reason = "not a picture the viewer can read";
    return false;
  }
  picture->width = record->width;
  picture->height = record->height < 0 ? -record->height : record->height;
  picture->rgba.assign(static_cast<size_t>(picture->width) * picture->height * 4, 255);
  for (int32_t y = 0; y < picture->height; ++y) {
    const unsigned char *row = record->pixels + static_cast<size_t>(picture->height - 1 - y) * picture->width * 3;
    unsigned char *out = picture->rgba.data() + static_cast<size_t>(y) * picture->width * 4;
    for (int32_t x = 0; x < picture->width; ++x) std::memcpy(out + 4 * x, row + 3 * x, 3);
  }
  releaseImageRecord(record);
  return true;
}

}  // namespace

bool loadPictureFile(const char *path, Picture *picture, std::string *reason) {
  return fromRecord(loadDibFile(path), picture, reason);
}

bool loadPictureMemory(const unsigned char *bytes, size_t size, Picture *picture, std::string *reason) {
  return fromRecord(loadDibMemory(bytes, size), picture, reason);
}

bool looksLikePicture(const unsigned char *bytes, size_t size) {
  return size >= 2 && bytes[0] == 'B' && bytes[1] == 'M';
}
