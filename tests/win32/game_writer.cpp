// A stand-in for the game, writing its save the ways games do, for tests that
// follow the save from another program:
//   game-writer parts SAVE FIRST SECOND TIMES PAUSE_MS
//     TIMES rewrites of SAVE in place, alternately with the bytes of SECOND
//     and FIRST, each in three parts with PAUSE_MS between them, the save
//     held open throughout and shared for reading only.
//   game-writer exclusive SAVE FIRST SECOND TIMES PAUSE_MS
//     TIMES saves, alternately SECOND and FIRST, each opening SAVE sharing
//     nothing, writing it whole and closing it, PAUSE_MS apart.
// The pauses are the game's own pace. Exits with the number of times the save
// could not be opened (0 when every save went through), or 255 for bad
// arguments and files.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

std::vector<char> fileBytes(const char *path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool writeAt(HANDLE file, size_t offset, const char *bytes, size_t size) {
  DWORD written = 0;
  return SetFilePointer(file, static_cast<LONG>(offset), nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER &&
         WriteFile(file, bytes, static_cast<DWORD>(size), &written, nullptr) && written == size;
}

// Rewrites the save from `from` to `to` (the same size) in three parts that
// each change something: the span where they differ, cut in three.
bool writeInParts(HANDLE file, const std::vector<char> &from, const std::vector<char> &to, DWORD pause) {
  size_t first = 0;
  while (first < to.size() && from[first] == to[first]) ++first;
  size_t end = to.size();
  while (end > first && from[end - 1] == to[end - 1]) --end;
  const size_t cuts[4] = {first, first + (end - first) / 3, first + 2 * (end - first) / 3, end};
  for (int part = 0; part < 3; ++part) {
    if (part > 0) Sleep(pause);
    if (!writeAt(file, cuts[part], to.data() + cuts[part], cuts[part + 1] - cuts[part])) return false;
  }
  return true;
}

}  // namespace

int main(int argc, char **argv) {
  if (argc != 7) {
    std::fprintf(stderr, "usage: game-writer parts|exclusive SAVE FIRST SECOND TIMES PAUSE_MS\n");
    return 255;
  }
  const bool inParts = std::strcmp(argv[1], "parts") == 0;
  const char *save = argv[2];
  const std::vector<char> versions[2] = {fileBytes(argv[3]), fileBytes(argv[4])};
  const int times = std::atoi(argv[5]);
  const DWORD pause = static_cast<DWORD>(std::atoi(argv[6]));
  if (versions[0].empty() || versions[0].size() != versions[1].size()) return 255;

  int refused = 0;
  for (int time = 1; time <= times; ++time) {
    const std::vector<char> &to = versions[time % 2];
    HANDLE file = CreateFileA(save, GENERIC_WRITE, inParts ? FILE_SHARE_READ : 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
      std::fprintf(stderr, "game-writer: save %d refused, error %lu\n", time, GetLastError());
      ++refused;
      Sleep(pause);
      continue;
    }
    const bool written = inParts ? writeInParts(file, versions[1 - time % 2], to, pause)
                                 : writeAt(file, 0, to.data(), to.size());
    CloseHandle(file);
    if (!written) return 255;
    Sleep(pause);
  }
  std::printf("game-writer: %d of %d saves refused\n", refused, times);
  return std::min(refused, 254);
}
