// A picture of the player's own (a map of the game) decoded for drawing and
// for making the square map the viewer loads. Desktop programs decode files
// with stb_image; the page has the browser decode and hands the pixels over.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Pictures up to PICTURE_LARGEST_TAKEN pixels on each side are taken; one
// larger is refused from its header, before it is decoded. A picture taken is
// scaled down so that its longer side is at most PICTURE_LARGEST_KEPT.
constexpr int32_t PICTURE_LARGEST_TAKEN = 8192;
constexpr int32_t PICTURE_LARGEST_KEPT = 4096;

// The first bytes of a file that looksLikePicture needs to tell a picture.
constexpr size_t PICTURE_SIGNATURE_BYTES = 18;

// Decoded pixels: RGBA, 4 bytes a pixel, rows top first, no padding. The
// desktop's decoding makes every pixel opaque: what the player aligns is what
// the square map (which has no transparency) shows.
struct Picture {
  std::vector<unsigned char> rgba;
  int32_t width = 0;
  int32_t height = 0;
  // The size of the picture in its file, before it was scaled down: pins and
  // kept placements given in the file's own pixels are turned into these by
  // pictureScale.
  int32_t sourceWidth = 0;
  int32_t sourceHeight = 0;
};

// How many of the picture's pixels one pixel of its file spans (1 when it was
// not scaled down; below 1 when it was): the ratio of the longer sides, the
// one the scaling kept exact.
double pictureScale(const Picture &picture);

// Decodes a PNG, JPEG, GIF (its first frame), TGA or BMP (any header) file
// and scales it to at most PICTURE_LARGEST_KEPT on its longer side. False,
// with the player's words for why in *reason ("8200 x 9000 pixels: pictures up
// to 8192 x 8192 are taken", "not a PNG, JPEG, GIF, TGA or BMP picture", ...),
// when it cannot be read, is not a picture, is damaged or is too large.
bool loadPictureFile(const char *path, Picture *picture, std::string *reason);
bool loadPictureMemory(const unsigned char *bytes, size_t size, Picture *picture, std::string *reason);

// The same decoding at the file's full size, without the limit on its sides
// (package-tool map --world, which places a picture of any size as it is).
bool decodePictureFile(const char *path, Picture *picture, std::string *reason);

// Whether the bytes begin as a picture the decoder knows (told by content, not
// by name): a file dropped on the window is a picture or a save. A save has
// no signature of its own (it is told by the layout of its blocks), so only
// signatures a save cannot begin with by chance count: PNG's, JPEG's, GIF's
// and BMP's, the last followed by a header size the decoder knows.
// TGA has no signature at all: a TGA file is a picture only where the player
// says so (the picture chooser, package-tool map), never when dropped.
bool looksLikePicture(const unsigned char *bytes, size_t size);

// looksLikePicture on the first bytes of a regular file; false for a file
// that cannot be read (it is then opened as a save, whose box says why).
bool fileLooksLikePicture(const char *path);
