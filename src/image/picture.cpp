// The player's own pictures, decoded by stb_image and scaled down by
// stb_image_resize (see picture.h). The size is read from the header first,
// so that a picture too large to take costs no memory; the decoded pixels are
// RGB, scaled straight into the rows of the RGBA picture and freed at once,
// which keeps an 8192 x 8192 picture's peak to stb_image's decoding
// (scripts/picture-memory measures it).
#include "image/picture.h"

#include <stb_image.h>
#include <stb_image_resize.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "platform/platform.h"

namespace {

// stb_image's reasons are terse (and for some damaged files empty); the two a
// user meets most get plain words.
std::string decodeFailure() {
  const char *reason = stbi_failure_reason();
  if (!reason || !*reason) return "damaged or unsupported picture";
  if (std::strcmp(reason, "unknown image type") == 0) return "not a PNG, JPEG, GIF, TGA or BMP picture";
  if (std::strcmp(reason, "outofmem") == 0) return "not enough memory to decode the picture";
  return std::string("damaged or unsupported picture (") + reason + ")";
}

bool tooLarge(uint32_t width, uint32_t height, std::string *reason) {
  if (width <= PICTURE_LARGEST_TAKEN && height <= PICTURE_LARGEST_TAKEN) return false;
  char text[120];
  std::snprintf(text, sizeof text, "%lu x %lu pixels: pictures up to %d x %d are taken",
                static_cast<unsigned long>(width), static_cast<unsigned long>(height),
                static_cast<int>(PICTURE_LARGEST_TAKEN), static_cast<int>(PICTURE_LARGEST_TAKEN));
  *reason = text;
  return true;
}

uint32_t bigEndian(const unsigned char *p, int bytes) {
  uint32_t value = 0;
  for (int i = 0; i < bytes; ++i) value = value << 8 | p[i];
  return value;
}

uint32_t littleEndian(const unsigned char *p, int bytes) {
  uint32_t value = 0;
  for (int i = bytes - 1; i >= 0; --i) value = value << 8 | p[i];
  return value;
}

// The size a picture's header claims, read from the first bytes of a PNG,
// GIF, BMP or JPEG file: stb_image's own look at the header refuses a picture
// whose pixels would not fit in its arithmetic without saying its size, and
// the player is told the size all the same. False when the bytes do not say.
bool claimedSize(const unsigned char *bytes, size_t size, uint32_t *width, uint32_t *height) {
  if (!looksLikePicture(bytes, size)) return false;
  if (bytes[0] == 0x89 && size >= 24) {  // PNG: the header chunk comes first
    *width = bigEndian(bytes + 16, 4);
    *height = bigEndian(bytes + 20, 4);
    return true;
  }
  if (bytes[0] == 'G' && size >= 10) {  // GIF: the logical screen
    *width = littleEndian(bytes + 6, 2);
    *height = littleEndian(bytes + 8, 2);
    return true;
  }
  if (bytes[0] == 'B' && size >= 26) {  // BMP: 16-bit sides in the oldest header, 32-bit after
    const bool core = littleEndian(bytes + 14, 4) == 12;
    *width = littleEndian(bytes + 18, core ? 2 : 4);
    const uint32_t rows = littleEndian(bytes + (core ? 20 : 22), core ? 2 : 4);
    *height = core || rows < 0x80000000u ? rows : 0u - rows;  // negative: stored top row first
    return true;
  }
  // JPEG: the segments up to the frame header, each led by its length.
  for (size_t at = 2; at + 9 <= size;) {
    if (bytes[at] != 0xFF) return false;
    const unsigned char marker = bytes[at + 1];
    if (marker == 0xFF) {
      ++at;
    } else if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) {
      *height = bigEndian(bytes + at + 5, 2);
      *width = bigEndian(bytes + at + 7, 2);
      return true;
    } else {
      at += 2 + bigEndian(bytes + at + 2, 2);
    }
  }
  return false;
}

// The first bytes of a file read for claimedSize: enough for every header
// but a JPEG's behind the largest metadata.
constexpr size_t CLAIMED_SIZE_BYTES = 1 << 16;

// Frees stb_image's pixels however the function that holds them ends.
struct Decoded {
  unsigned char *rgb = nullptr;
  ~Decoded() { stbi_image_free(rgb); }
};

// Moves width x height decoded RGB pixels into *picture as opaque RGBA,
// scaled down so that the longer side is at most `longest` (0: kept as is).
// Scaling happens in linear light, as the eye averages, with Mitchell's
// filter (smooth, little ringing); the scaler writes RGB at the start of each
// RGBA row, which is then spread out in place from its end.
bool takeDecoded(Decoded &decoded, int width, int height, int32_t longest, Picture *picture,
                 std::string *reason) {
  int32_t keptWidth = width, keptHeight = height;
  const int32_t longer = width > height ? width : height;
  if (longest > 0 && longer > longest) {
    const double scale = static_cast<double>(longest) / longer;
    keptWidth = width >= height ? longest : static_cast<int32_t>(width * scale + 0.5);
    keptHeight = width >= height ? static_cast<int32_t>(height * scale + 0.5) : longest;
    if (keptWidth < 1) keptWidth = 1;
    if (keptHeight < 1) keptHeight = 1;
  }
  Picture taken;
  try {
    taken.rgba.resize(static_cast<size_t>(keptWidth) * keptHeight * 4);
  } catch (const std::bad_alloc &) {
    *reason = "not enough memory to hold the picture";
    return false;
  }
  const size_t stride = static_cast<size_t>(keptWidth) * 4;
  if (keptWidth != width || keptHeight != height) {
    if (!stbir_resize_uint8_generic(decoded.rgb, width, height, 0, taken.rgba.data(), keptWidth, keptHeight,
                                    static_cast<int>(stride), 3, STBIR_ALPHA_CHANNEL_NONE, 0, STBIR_EDGE_CLAMP,
                                    STBIR_FILTER_MITCHELL, STBIR_COLORSPACE_SRGB, nullptr)) {
      *reason = "not enough memory to scale the picture";
      return false;
    }
  } else {
    for (int32_t y = 0; y < keptHeight; ++y) {
      std::memcpy(&taken.rgba[y * stride], decoded.rgb + static_cast<size_t>(y) * width * 3,
                  static_cast<size_t>(width) * 3);
    }
  }
  stbi_image_free(decoded.rgb);
  decoded.rgb = nullptr;
  for (int32_t y = 0; y < keptHeight; ++y) {
    unsigned char *row = &taken.rgba[y * stride];
    for (int32_t x = keptWidth - 1; x >= 0; --x) {
      const unsigned char red = row[x * 3], green = row[x * 3 + 1], blue = row[x * 3 + 2];
      row[x * 4] = red;
      row[x * 4 + 1] = green;
      row[x * 4 + 2] = blue;
      row[x * 4 + 3] = 255;
    }
  }
  taken.width = keptWidth;
  taken.height = keptHeight;
  taken.sourceWidth = width;
  taken.sourceHeight = height;
  *picture = std::move(taken);
  return true;
}

// Decodes an open file: its header first, refused there when `longest` is
// set and the picture is larger than taken.
bool decodeOpenFile(FILE *file, int32_t longest, Picture *picture, std::string *reason) {
  int width = 0, height = 0, channels = 0;
  if (stbi_info_from_file(file, &width, &height, &channels)) {
    if (longest > 0 && tooLarge(width, height, reason)) return false;
  } else if (longest > 0) {
    std::vector<unsigned char> start(CLAIMED_SIZE_BYTES);
    start.resize(std::fread(start.data(), 1, start.size(), file));
    uint32_t claimedWidth = 0, claimedHeight = 0;
    if (claimedSize(start.data(), start.size(), &claimedWidth, &claimedHeight) &&
        tooLarge(claimedWidth, claimedHeight, reason)) {
      return false;
    }
    std::rewind(file);
  }
  // Decoding tells what is wrong with a picture whose header stb_image did
  // not take.
  Decoded decoded;
  decoded.rgb = stbi_load_from_file(file, &width, &height, &channels, 3);
  if (!decoded.rgb) {
    *reason = decodeFailure();
    return false;
  }
  // The file may have changed between its header and its pixels.
  if (longest > 0 && tooLarge(width, height, reason)) return false;
  return takeDecoded(decoded, width, height, longest, picture, reason);
}

bool decodeFile(const char *path, int32_t longest, Picture *picture, std::string *reason) {
  // Only a regular file: a FIFO would wait for a writer.
  int64_t size = 0;
  errno = 0;
  FILE *file = platformOpenRegularFile(path, &size);
  if (!file) {
    *reason = errno ? std::strerror(errno) : "not a regular file";
    return false;
  }
  const bool decoded = decodeOpenFile(file, longest, picture, reason);
  std::fclose(file);
  return decoded;
}

bool startsWith(const unsigned char *bytes, size_t size, const char *signature, size_t length) {
  return size >= length && std::memcmp(bytes, signature, length) == 0;
}

}  // namespace

double pictureScale(const Picture &picture) {
  const int32_t longer = picture.width > picture.height ? picture.width : picture.height;
  const int32_t sourceLonger = picture.sourceWidth > picture.sourceHeight ? picture.sourceWidth : picture.sourceHeight;
  return sourceLonger > 0 && longer > 0 ? static_cast<double>(longer) / sourceLonger : 1.0;
}

bool loadPictureFile(const char *path, Picture *picture, std::string *reason) {
  return decodeFile(path, PICTURE_LARGEST_KEPT, picture, reason);
}

bool decodePictureFile(const char *path, Picture *picture, std::string *reason) {
  return decodeFile(path, 0, picture, reason);
}

bool loadPictureMemory(const unsigned char *bytes, size_t size, Picture *picture, std::string *reason) {
  if (size > INT_MAX) {
    *reason = "the file is too large to be a picture";
    return false;
  }
  const int length = static_cast<int>(size);
  int width = 0, height = 0, channels = 0;
  uint32_t claimedWidth = 0, claimedHeight = 0;
  if (stbi_info_from_memory(bytes, length, &width, &height, &channels)) {
    if (tooLarge(width, height, reason)) return false;
  } else if (claimedSize(bytes, size, &claimedWidth, &claimedHeight) && tooLarge(claimedWidth, claimedHeight, reason)) {
    return false;
  }
  Decoded decoded;
  decoded.rgb = stbi_load_from_memory(bytes, length, &width, &height, &channels, 3);
  if (!decoded.rgb) {
    *reason = decodeFailure();
    return false;
  }
  return takeDecoded(decoded, width, height, PICTURE_LARGEST_KEPT, picture, reason);
}

bool looksLikePicture(const unsigned char *bytes, size_t size) {
  // PNG: its signature and the header chunk that must come first.
  if (startsWith(bytes, size, "\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16)) return true;
  // JPEG: the start of the image and a marker.
  if (size >= 4 && bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[2] == 0xFF && bytes[3] >= 0xC0 && bytes[3] != 0xFF) {
    return true;
  }
  if (startsWith(bytes, size, "GIF87a", 6) || startsWith(bytes, size, "GIF89a", 6)) return true;
  // BMP: 'BM' and, behind the file header, the size of a header the decoder reads.
  if (startsWith(bytes, size, "BM", 2) && size >= 18) {
    const uint32_t header = bytes[14] | bytes[15] << 8 | bytes[16] << 16 | static_cast<uint32_t>(bytes[17]) << 24;
    return header == 12 || header == 40 || header == 56 || header == 108 || header == 124;
  }
  return false;
}

bool fileLooksLikePicture(const char *path) {
  int64_t size = 0;
  FILE *file = platformOpenRegularFile(path, &size);
  if (!file) return false;
  unsigned char start[PICTURE_SIGNATURE_BYTES];
  const size_t got = std::fread(start, 1, sizeof start, file);
  std::fclose(file);
  return looksLikePicture(start, got);
}
