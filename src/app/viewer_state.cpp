// The one ViewerState instance.
#include "app/viewer_state.h"

#include <cstdlib>

ViewerState viewerState;

void resetViewerState() {
  std::free(viewerState.packages);
  std::free(viewerState.rampages);
  viewerState = ViewerState{};
}
