// The player's own map kept for good (see own_map.h): the square, the
// alignment as text, and the files in the player's data folder.
#include "app/own_map.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/platform.h"

namespace {

constexpr size_t ALIGNMENT_TEXT_LIMIT = 4096;

// The extension of a file's name (".png"), or ".picture" when it has none:
// the copy is told a picture by its content, the name only helps a person.
std::string extensionOf(const char *path) {
  const char *name = path;
  for (const char *p = path; *p; ++p) {
    if (*p == '/' || *p == '\\') name = p + 1;
  }
  const char *dot = std::strrchr(name, '.');
  if (!dot || dot == name || std::strlen(dot) > 8) return ".picture";
  std::string extension;
  for (const char *p = dot; *p; ++p) {
    const bool plain = (*p >= 'a' && *p <= 'z') || (*p >= 'A' && *p <= 'Z') || (*p >= '0' && *p <= '9') || *p == '.';
    if (!plain) return ".picture";
    extension += *p;
  }
  return extension;
}

// The whole of a regular file; false with the reason when it cannot be read.
bool readWholeFile(const char *path, size_t limit, std::vector<unsigned char> *bytes, std::string *reason) {
  int64_t size = 0;
  errno = 0;
  FILE *file = platformOpenRegularFile(path, &size);
  if (!file) {
    *reason = errno ? std::strerror(errno) : "not a regular file";
    return false;
  }
  bool read = size >= 0 && static_cast<uint64_t>(size) <= limit;
  if (read) {
    try {
      bytes->resize(static_cast<size_t>(size));
      read = bytes->empty() || std::fread(bytes->data(), 1, bytes->size(), file) == bytes->size();
    } catch (const std::bad_alloc &) {
      read = false;
    }
  }
  std::fclose(file);
  if (!read) *reason = "the file cannot be read whole";
  return read;
}

bool replaceFile(const std::string &path, const std::vector<unsigned char> &bytes, std::string *reason) {
  char text[256] = {};
  if (platformReplaceFile(path.c_str(), bytes.data(), bytes.size(), false, text, sizeof text)) return true;
  *reason = text;
  return false;
}

bool userFolder(bool create, std::string *folder) {
  char path[1024];
  if (!platformUserFolder(USER_DATA_FOLDER, create, path, sizeof path)) return false;
  *folder = path;
  return true;
}

// The kept alignment's picture name and placement, when there is one.
bool readAlignment(const std::string &folder, std::string *pictureName, PicturePlacement *filePlacement) {
  std::vector<unsigned char> text;
  std::string reason;
  const std::string path = folder + "/" + OWN_MAP_ALIGNMENT_NAME;
  return readWholeFile(path.c_str(), ALIGNMENT_TEXT_LIMIT, &text, &reason) &&
         parseAlignment(reinterpret_cast<const char *>(text.data()), text.size(), pictureName, filePlacement);
}

}  // namespace

int32_t ownMapSide(int32_t width, int32_t height, const WorldEdges &edges) {
  // The picture keeps its proportions, so either axis tells its resolution;
  // the longer tells it most closely.
  const double pixels = width >= height ? width : height;
  const double span = width >= height ? edges.right - edges.left : edges.top - edges.bottom;
  const double overSquare = pixels * (2 * MAP_EXTENT) / span;
  if (!(overSquare > 0) || !std::isfinite(overSquare)) return OWN_MAP_SMALLEST_SIDE;
  const double power = std::round(std::log2(overSquare));
  const double smallest = std::log2(OWN_MAP_SMALLEST_SIDE), largest = std::log2(OWN_MAP_LARGEST_SIDE);
  return static_cast<int32_t>(1) << static_cast<int32_t>(std::fmin(std::fmax(power, smallest), largest));
}

SquareEdges squareEdgesOf(const WorldEdges &edges, int32_t side) {
  const double unitsPerPixel = 2 * MAP_EXTENT / side;
  return {(edges.left + MAP_EXTENT) / unitsPerPixel, (MAP_EXTENT - edges.top) / unitsPerPixel,
          (edges.right + MAP_EXTENT) / unitsPerPixel, (MAP_EXTENT - edges.bottom) / unitsPerPixel};
}

bool makeOwnMap(const Picture &picture, const PicturePlacement &placement, int32_t side, Canvas *map) {
  const WorldEdges edges = placementEdges(placement, picture.width, picture.height);
  if (side <= 0) side = ownMapSide(picture.width, picture.height, edges);
  try {
    *map = Canvas(side, side);
  } catch (const std::bad_alloc &) {
    return false;
  }
  return paintSquareMap(picture, squareEdgesOf(edges, side), map);
}

PicturePlacement placementInFile(const PicturePlacement &placement, const Picture &picture) {
  return {placement.left, placement.top, placement.unitsPerPixel * pictureScale(picture)};
}

PicturePlacement placementInPicture(const PicturePlacement &filePlacement, const Picture &picture) {
  return {filePlacement.left, filePlacement.top, filePlacement.unitsPerPixel / pictureScale(picture)};
}

std::string alignmentText(const std::string &pictureName, const PicturePlacement &filePlacement) {
  char text[256];
  std::snprintf(text, sizeof text, "left %.17g\ntop %.17g\nunits-per-pixel %.17g\n", filePlacement.left,
                filePlacement.top, filePlacement.unitsPerPixel);
  return "picture " + pictureName + "\n" + text;
}

bool parseAlignment(const char *text, size_t size, std::string *pictureName, PicturePlacement *filePlacement) {
  std::string name;
  double values[3];
  bool found[3] = {};
  const char *const keys[3] = {"left", "top", "units-per-pixel"};
  size_t at = 0;
  while (at < size) {
    size_t end = at;
    while (end < size && text[end] != '\n') ++end;
    const std::string line(text + at, end - at);
    at = end + 1;
    const size_t space = line.find(' ');
    if (space == std::string::npos) return false;
    const std::string key = line.substr(0, space), value = line.substr(space + 1);
    if (key == "picture") {
      if (value.empty() || value.find_first_of("/\\:") != std::string::npos || value[0] == '.') return false;
      name = value;
      continue;
    }
    for (int i = 0; i < 3; ++i) {
      if (key != keys[i]) continue;
      char *parsed = nullptr;
      values[i] = std::strtod(value.c_str(), &parsed);
      if (value.empty() || *parsed != '\0' || !std::isfinite(values[i])) return false;
      found[i] = true;
    }
  }
  if (name.empty() || !found[0] || !found[1] || !found[2] || !(values[2] > 0)) return false;
  *pictureName = name;
  *filePlacement = {values[0], values[1], values[2]};
  return true;
}

bool keepOwnMap(const char *sourceFile, const Picture &picture, const PicturePlacement &placement,
                std::string *reason) {
  std::string folder;
  if (!userFolder(false, &folder)) {
    *reason = "there is no folder of the player's own to keep it in";
    return false;
  }
  if (!userFolder(true, &folder)) {
    *reason = "the folder " + folder + " cannot be made";
    return false;
  }
  std::vector<unsigned char> bytes;
  if (!readWholeFile(sourceFile, SIZE_MAX, &bytes, reason)) return false;

  // The copy takes a name the alignment kept before does not use, so that
  // the map and the alignment kept before stay whole until both are replaced.
  std::string keptName;
  PicturePlacement keptPlacement;
  const bool kept = readAlignment(folder, &keptName, &keptPlacement);
  const std::string extension = extensionOf(sourceFile);
  std::string copyName = std::string(OWN_MAP_PICTURE_STEM) + "-1" + extension;
  if (kept && keptName.compare(0, copyName.size() - extension.size(), copyName, 0,
                               copyName.size() - extension.size()) == 0) {
    copyName = std::string(OWN_MAP_PICTURE_STEM) + "-2" + extension;
  }
  const std::string copyPath = folder + "/" + copyName;
  if (!replaceFile(copyPath, bytes, reason)) return false;
  bytes = std::vector<unsigned char>();

  Canvas map(0, 0);
  if (!makeOwnMap(picture, placement, 0, &map)) {
    *reason = "not enough memory to make the map";
  } else if (replaceFile(folder + "/" + OWN_MAP_NAME, makeBmp24(map), reason)) {
    const std::string text = alignmentText(copyName, placementInFile(placement, picture));
    if (!replaceFile(folder + "/" + OWN_MAP_ALIGNMENT_NAME, std::vector<unsigned char>(text.begin(), text.end()),
                     reason)) {
      return false;
    }
    if (kept && keptName != copyName) std::remove((folder + "/" + keptName).c_str());
    return true;
  }
  std::remove(copyPath.c_str());
  return false;
}

bool loadKeptAlignment(char *picturePath, size_t size, PicturePlacement *filePlacement) {
  std::string folder, name;
  PicturePlacement placement;
  if (!userFolder(false, &folder) || !readAlignment(folder, &name, &placement)) return false;
  const std::string path = folder + "/" + name;
  int64_t length = 0;
  FILE *file = platformOpenRegularFile(path.c_str(), &length);
  if (!file) return false;
  std::fclose(file);
  if (path.size() + 1 > size) return false;
  std::memcpy(picturePath, path.c_str(), path.size() + 1);
  *filePlacement = placement;
  return true;
}

void forgetOwnMap() {
  std::string folder, name;
  PicturePlacement placement;
  if (!userFolder(false, &folder)) return;
  // The alignment goes last: while it is there, its picture can be found.
  if (readAlignment(folder, &name, &placement)) std::remove((folder + "/" + name).c_str());
  std::remove((folder + "/" + OWN_MAP_NAME).c_str());
  std::remove((folder + "/" + OWN_MAP_ALIGNMENT_NAME).c_str());
}
