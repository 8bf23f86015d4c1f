// Saving the frame as a picture (see screenshot.h).
#include "render/screenshot.h"

#include <cstring>
#include <vector>

#include "app/status_line.h"
#include "app/viewer_state.h"
#include "platform/platform.h"
#include "render/gl.h"
#include "writers/png_writer.h"

namespace {

// Names that differ only by a counter, for pictures taken within one second.
constexpr int MAX_NAME_TRIES = 100;

bool isSeparator(char c) {
#ifdef _WIN32
  return c == '/' || c == '\\';
#else
  return c == '/';
#endif
}

}  // namespace

std::string screenshotPath(const char *saveFileName, const std::tm &when) {
  const std::string save(saveFileName);
  size_t nameStart = save.size();
  while (nameStart > 0 && !isSeparator(save[nameStart - 1])) --nameStart;
  const std::string folder = save.substr(0, nameStart);
  std::string stem = save.substr(nameStart);
  const size_t dot = stem.find_last_of('.');
  if (dot != std::string::npos && dot > 0) stem.resize(dot);
  if (stem.empty()) stem = "package-viewer";

  char stamp[32];
  std::strftime(stamp, sizeof stamp, "-%Y-%m-%d-%H%M%S", &when);
  const std::string base = folder + stem + stamp;
  std::string path = base + ".png";
  for (int counter = 2; counter <= MAX_NAME_TRIES && platformFileStamp(path.c_str()).exists; ++counter) {
    path = base + "-" + std::to_string(counter) + ".png";
  }
  return path;
}

void saveScreenshotIfWanted() {
  ViewerState &state = viewerState;
  if (!state.screenshotWanted) return;
  state.screenshotWanted = 0;

  const int32_t width = state.windowWidth;
  const int32_t height = state.windowHeight;
  std::vector<unsigned char> rgb(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
  glPixelStorei(GL_PACK_ALIGNMENT, 4);

  const std::time_t now = std::time(nullptr);
  const std::tm *local = std::localtime(&now);
  const std::string path = screenshotPath(state.saveFileName, local ? *local : std::tm{});
  std::string error;
  // OpenGL hands the rows over bottom row first.
  const bool saved = writePng(path.c_str(), width, height, rgb.data(), ROWS_BOTTOM_FIRST, &error);
  const std::string line = saved ? "Saved picture: " + path : "Picture not saved: " + path + ": " + error;
  showStatusLine(line.c_str());
}
