// The paper colour of the bundled chart (assets/THmap.bmp). package-tool map
// fills with it whatever part of the map a picture of the player's own does
// not reach, so that a partial map reads as the chart's empty area.
#pragma once

constexpr unsigned char CHART_PAPER[3] = {44, 52, 62};
