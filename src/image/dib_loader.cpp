// Placeholder until the loader lands.
#include "image/dib_loader.h"
#include <cstdlib>
ImageRecord *loadDibFile(const char *) { return nullptr; }
uint16_t dibColorCount(const unsigned char *) { return 0; }
void releaseImageRecord(ImageRecord *record) {
  if (!record) return;
  std::free(record->pixels);
  std::free(record);
}
