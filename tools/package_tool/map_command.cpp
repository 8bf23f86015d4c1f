// package-tool map: turns a picture in any common format (PNG, JPEG, GIF, TGA,
// or BMP with any header version) into a map the viewer loads: decoded by
// stb_image, scaled to a square whose side is a power of two by
// stb_image_resize, written as a 24-bit BMP with the 40-byte header. The
// viewer's own loader reads only that classic form, which few programs write
// by default any more.
//
// The result is written to a temporary file beside OUT and renamed over it
// only when complete, so a failure never leaves a half-written or damaged map.
#include <stb/stb_image.h>
#include <stb/stb_image_resize.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "package_tool/commands.h"
#include "writers/bmp_writer.h"

namespace {

constexpr int32_t DEFAULT_SIDE = 1024;
constexpr int32_t MAX_SIDE = 4096;
const char *const USAGE = "Usage: package-tool map IMAGE OUT.bmp [--size N]\n";

int usageError(const char *format, const char *value) {
  std::fputs("package-tool map: ", stderr);
  std::fprintf(stderr, format, value);
  std::fputc('\n', stderr);
  return 2;
}

int failure(const char *file, const std::string &reason) {
  std::fprintf(stderr, "package-tool map: %s: %s\n", file, reason.c_str());
  return 1;
}

std::string systemError(int error) { return error ? std::strerror(error) : "the file cannot be written"; }

bool parseSide(const char *text, int32_t *side) {
  int32_t value = 0;
  for (const char *p = text; *p; ++p) {
    if (*p < '0' || *p > '9' || value > MAX_SIDE) return false;
    value = value * 10 + (*p - '0');
  }
  *side = value;
  return value >= 1 && value <= MAX_SIDE && (value & (value - 1)) == 0;
}

// stb_image's reasons are terse (and for some damaged files empty); the two a
// user meets most get plain words.
std::string decodeFailure() {
  const char *reason = stbi_failure_reason();
  if (!reason || !*reason) return "damaged or unsupported picture";
  if (std::strcmp(reason, "unknown image type") == 0) return "not a PNG, JPEG, GIF, TGA or BMP picture";
  if (std::strcmp(reason, "outofmem") == 0) return "not enough memory to decode the picture";
  return std::string("damaged or unsupported picture (") + reason + ")";
}

// Mitchell's filter where a side shrinks: smooth, with little ringing.
// Catmull-Rom where it grows or keeps its length: it passes through the
// source pixels, so a picture that already has the size comes out unchanged
// (stb_image_resize would otherwise pick Mitchell's, which blurs it).
stbir_filter filterFor(int sourceLength, int32_t side) {
  return sourceLength > side ? STBIR_FILTER_MITCHELL : STBIR_FILTER_CATMULLROM;
}

struct DecodedPicture {
  unsigned char *rgb = nullptr;  // packed RGB rows, top row first
  int width = 0;
  int height = 0;
  ~DecodedPicture() { stbi_image_free(rgb); }
};

// Decodes the picture as RGB (an alpha channel is dropped). Returns the
// reason on failure, an empty string on success.
std::string decode(const char *path, DecodedPicture *picture) {
  FILE *file = std::fopen(path, "rb");
  if (!file) return std::strerror(errno);
  int channels = 0;
  picture->rgb = stbi_load_from_file(file, &picture->width, &picture->height, &channels, 3);
  std::fclose(file);
  return picture->rgb ? std::string() : decodeFailure();
}

// A temporary file in OUT's folder, created with the permissions a new file
// would get there, so that the rename gives OUT its usual permissions.
std::string createTemporaryBeside(const std::string &output) {
  std::string name = output + ".XXXXXX";
  const int descriptor = mkstemp(&name[0]);
  if (descriptor < 0) return std::string();
  const mode_t mask = umask(0);
  umask(mask);
  fchmod(descriptor, 0666 & ~mask);
  close(descriptor);
  return name;
}

}  // namespace

int runMapCommand(int argc, char **argv) {
  const char *input = nullptr;
  const char *output = nullptr;
  int32_t side = DEFAULT_SIDE;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--size") == 0 && i + 1 < argc) {
      if (!parseSide(argv[++i], &side)) {
        return usageError("--size takes a power of two from 1 to 4096: '%s'", argv[i]);
      }
    } else if (argv[i][0] == '-' && argv[i][1] != '\0') {
      usageError("unknown or incomplete option '%s'", argv[i]);
      std::fputs(USAGE, stderr);
      return 2;
    } else if (!input) {
      input = argv[i];
    } else if (!output) {
      output = argv[i];
    } else {
      std::fputs(USAGE, stderr);
      return 2;
    }
  }
  if (!output) {
    std::fputs(USAGE, stderr);
    return 2;
  }

  DecodedPicture picture;
  const std::string reason = decode(input, &picture);
  if (!reason.empty()) return failure(input, reason);

  // Scaled in linear light, as the eye averages: sRGB values averaged as
  // they are darken fine lines and edges. Outside the picture the edge
  // pixels repeat, so the border keeps its colour.
  Canvas map(side, side);
  if (!stbir_resize(picture.rgb, picture.width, picture.height, 0, map.rgb.data(), side, side, 0,
                    STBIR_TYPE_UINT8, 3, STBIR_ALPHA_CHANNEL_NONE, 0, STBIR_EDGE_CLAMP, STBIR_EDGE_CLAMP,
                    filterFor(picture.width, side), filterFor(picture.height, side), STBIR_COLORSPACE_SRGB,
                    nullptr)) {
    return failure(input, "not enough memory to scale the picture");
  }

  const std::string temporary = createTemporaryBeside(output);
  if (temporary.empty()) return failure(output, systemError(errno));
  errno = 0;
  if (!writeBmp24(temporary, map)) {
    const int error = errno;
    std::remove(temporary.c_str());
    return failure(output, systemError(error));
  }
  if (std::rename(temporary.c_str(), output) != 0) {
    const int error = errno;
    std::remove(temporary.c_str());
    return failure(output, systemError(error));
  }
  return 0;
}
