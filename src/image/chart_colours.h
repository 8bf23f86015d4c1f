// The paper colour of the bundled chart (assets/THmap.bmp). The square map
// made from a picture of the player's own (image/square_map.h) is filled
// with it wherever the picture does not reach, so that a partial map reads as
// the chart's empty area; the chart's generator paints with it.
#pragma once

constexpr unsigned char CHART_PAPER[3] = {44, 52, 62};
