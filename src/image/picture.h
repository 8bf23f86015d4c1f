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

// Decoded pixels: RGBA, 4 bytes a pixel, rows top first, no padding.
struct Picture {
  std::vector<unsigned char> rgba;
  int32_t width = 0;
  int32_t height = 0;
};

// Decodes a PNG, JPEG, GIF (its first frame), TGA or BMP (any header) file
// and scales it to at most PICTURE_LARGEST_KEPT on its longer side. False,
// with the player's words for why in *reason ("8200 x 9000 pixels: pictures up
// to 8192 x 8192 are taken", "not a PNG, JPEG, GIF, TGA or BMP picture", ...),
// when it cannot be read, is not a picture, is damaged or is too large.
bool loadPictureFile(const char *path, Picture *picture, std::string *reason);
bool loadPictureMemory(const unsigned char *bytes, size_t size, Picture *picture, std::string *reason);

// Whether the bytes begin as a picture the decoder knows (told by content, not
// by name): a file dropped on the window is a picture or a save.
bool looksLikePicture(const unsigned char *bytes, size_t size);
