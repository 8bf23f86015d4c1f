// The shared address's overlay: see share_overlay.h.
#include "app/share_overlay.h"

ShareOverlay shareOverlay;
bool (*startShareHook)() = nullptr;

void toggleShareOverlay() {
  if (shareOverlay.size == 0) {
    if (!startShareHook || !startShareHook()) return;
    shareOverlay.shown = 0;
  }
  shareOverlay.shown = shareOverlay.shown ? 0 : 1;
}
