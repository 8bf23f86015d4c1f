// Writes the savegame that the end-to-end test loads, and a list of the
// markers it holds ("package|rampage X Y Z" per line) for the screenshot
// checks. The markers lie on a jittered grid, far enough apart that no two
// overlap on screen, with heights that give every package shape. With a
// COUNT, only the first COUNT markers are kept: the same save as the game
// would write it with the others still to be collected.
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "app/viewer_state.h"
#include "save/savegame.h"
#include "support/savegame_writer.h"

namespace {

// A small fixed generator, so every run writes the same save.
uint32_t nextRandom(uint32_t *state) {
  *state = *state * 1664525u + 1013904223u;
  return *state >> 8;
}

}  // namespace

int main(int argc, char **argv) {
  const int limit = argc == 4 ? std::atoi(argv[3]) : PACKAGE_CAPACITY + RAMPAGE_CAPACITY;
  if (argc != 3 && argc != 4) {
    std::fprintf(stderr, "usage: e2e-write-save SAVE.b MARKERS.txt [COUNT]\n");
    return 2;
  }
  std::vector<PickupRecord> pickups;
  FILE *list = std::fopen(argv[2], "w");
  if (!list) {
    std::perror(argv[2]);
    return 1;
  }
  uint32_t state = 20240607u;
  int packages = 0;
  int rampages = 0;
  // A 12 x 12 grid of cells 320 units wide over -1920..1920; about two cells
  // in three hold a marker, placed within the middle of its cell.
  for (int row = 0; row < 12; ++row) {
    for (int column = 0; column < 12; ++column) {
      const uint32_t roll = nextRandom(&state) % 12;
      const float x = -1920.0f + 320.0f * static_cast<float>(column) + 80.0f +
                      static_cast<float>(nextRandom(&state) % 160);
      const float y = -1920.0f + 320.0f * static_cast<float>(row) + 80.0f +
                      static_cast<float>(nextRandom(&state) % 160);
      const float z = static_cast<float>(nextRandom(&state) % 26);
      if (packages + rampages >= limit) break;
      if (roll < 6 && packages < PACKAGE_CAPACITY) {
        pickups.push_back(pickup(PICKUP_KIND_PACKAGE, x, y, z));
        std::fprintf(list, "package %.1f %.1f %.1f\n", x, y, z);
        ++packages;
      } else if (roll < 8 && rampages < RAMPAGE_CAPACITY) {
        pickups.push_back(pickup(PICKUP_KIND_RAMPAGE, x, y, z));
        std::fprintf(list, "rampage %.1f %.1f %.1f\n", x, y, z);
        ++rampages;
      } else if (roll < 9) {
        // Other pickups that the viewer passes over.
        pickups.push_back(pickup(static_cast<unsigned char>(roll * 17), x, y, z));
      }
    }
  }
  std::fclose(list);
  writeBytes(argv[1], makeSavegame(pickups));
  std::printf("%d packages, %d rampages\n", packages, rampages);
  return 0;
}
