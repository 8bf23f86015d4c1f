// Writes a save the way a game does and measures how long the viewer takes to
// show it: copies SOURCE onto SAVE, either in place (truncate, write, close)
// or through a temporary file renamed onto SAVE, then reads the screen region
// X Y WIDTH HEIGHT of the root window again and again until it holds exactly
// RED red pixels (the colour screen-probe counts as red), and prints the
// seconds from the end of the write to the first such picture.
//   x11-await-reload inplace|rename SOURCE SAVE X Y WIDTH HEIGHT RED LIMIT
// Exit status 0 when the picture came within LIMIT seconds, 1 when not, 2 for
// wrong usage or a failed write.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

namespace {

bool writeWhole(const std::string &path, const std::vector<char> &bytes) {
  std::FILE *file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written;
}

long redPixels(Display *display, int x, int y, int width, int height) {
  XImage *image = XGetImage(display, DefaultRootWindow(display), x, y, static_cast<unsigned>(width),
                            static_cast<unsigned>(height), AllPlanes, ZPixmap);
  if (!image) return -1;
  long count = 0;
  for (int row = 0; row < height; ++row) {
    for (int column = 0; column < width; ++column) {
      const unsigned long pixel = XGetPixel(image, column, row);
      const unsigned long red = (pixel & image->red_mask) >> 16;
      const unsigned long green = (pixel & image->green_mask) >> 8;
      const unsigned long blue = pixel & image->blue_mask;
      if (red > 200 && green < 60 && blue < 60) ++count;
    }
  }
  XDestroyImage(image);
  return count;
}

}  // namespace

int main(int argc, char **argv) {
  if (argc != 10 || (std::strcmp(argv[1], "inplace") != 0 && std::strcmp(argv[1], "rename") != 0)) {
    std::fprintf(stderr, "usage: x11-await-reload inplace|rename SOURCE SAVE X Y WIDTH HEIGHT RED LIMIT\n");
    return 2;
  }
  std::ifstream source(argv[2], std::ios::binary);
  const std::vector<char> bytes((std::istreambuf_iterator<char>(source)), std::istreambuf_iterator<char>());
  const std::string save = argv[3];
  const int x = std::atoi(argv[4]);
  const int y = std::atoi(argv[5]);
  const int width = std::atoi(argv[6]);
  const int height = std::atoi(argv[7]);
  const long wanted = std::atol(argv[8]);
  const double limit = std::atof(argv[9]);
  Display *display = XOpenDisplay(nullptr);
  if (!display || bytes.empty()) return 2;

  if (std::strcmp(argv[1], "inplace") == 0) {
    if (!writeWhole(save, bytes)) return 2;
  } else {
    const std::string temporary = save + ".tmp";
    if (!writeWhole(temporary, bytes) || std::rename(temporary.c_str(), save.c_str()) != 0) return 2;
  }
  const auto written = std::chrono::steady_clock::now();
  for (;;) {
    const long red = redPixels(display, x, y, width, height);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - written).count();
    if (red == wanted) {
      std::printf("%.3f\n", seconds);
      return 0;
    }
    if (seconds > limit) return 1;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}
