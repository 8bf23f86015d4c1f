// make-test-save OUT [KIND:X,Y,Z ...]: writes a savegame holding the given
// pickups, in order, for end-to-end tests and tool tests. KIND is a number
// (154 package, 127 rampage); X, Y and Z are floats ("nan" and "inf" allowed).
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "support/savegame_writer.h"

int main(int argc, char **argv) {
  if (argc < 2) {
    std::fputs("usage: make-test-save OUT [KIND:X,Y,Z ...]\n", stderr);
    return 2;
  }
  std::vector<PickupRecord> pickups;
  for (int i = 2; i < argc; ++i) {
    unsigned kind;
    float x, y, z;
    if (std::sscanf(argv[i], "%u:%f,%f,%f", &kind, &x, &y, &z) != 4 || kind > 255) {
      std::fprintf(stderr, "make-test-save: cannot read pickup '%s'\n", argv[i]);
      return 2;
    }
    pickups.push_back(pickup(static_cast<unsigned char>(kind), x, y, z));
  }
  SavegameLayout layout;
  layout.blockSizes = {16, 0, 40, 4, 0};
  writeBytes(argv[1], makeSavegame(pickups, layout));
  return 0;
}
