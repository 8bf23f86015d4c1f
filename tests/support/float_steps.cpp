// The float sequences of float_steps.h. Inputs are made from integer bit
// patterns, never by float arithmetic, so that every build starts from the
// same values whatever its floating-point unit.
#include "support/float_steps.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <sstream>

#include "app/controls.h"
#include "app/input.h"
#include "app/viewer_state.h"
#include "render/frame.h"

namespace {

uint32_t bitsOf(float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

float floatOf(uint32_t bits) {
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

// xorshift32: the same numbers on every platform.
struct Numbers {
  uint32_t state = 2463534242u;
  uint32_t next() {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
  }
  // A float of either sign with a random mantissa and a magnitude in
  // [2^low, 2^(high+1)).
  float anyBetweenPowers(int low, int high) {
    const uint32_t r = next();
    const uint32_t exponent = static_cast<uint32_t>(127 + low) + (r >> 24) % static_cast<uint32_t>(high - low + 1);
    return floatOf((r & 0x80000000u) | (exponent << 23) | (next() & 0x7fffffu));
  }
};

// Markers over the savegame area and beyond, against cameras anywhere in the
// panned range.
FloatStepSequence markerPositions() {
  FloatStepSequence sequence{"marker", {}};
  Numbers numbers;
  for (int i = 0; i < 512; ++i) {
    const PickupMarker marker{numbers.anyBetweenPowers(-4, 12), numbers.anyBetweenPowers(-4, 12), 0.0f};
    viewerState.cameraX = numbers.anyBetweenPowers(-10, -1);
    viewerState.cameraY = numbers.anyBetweenPowers(-10, -1);
    const ScenePoint point = markerScenePoint(marker);
    sequence.bits.push_back(bitsOf(point.x));
    sequence.bits.push_back(bitsOf(point.y));
  }
  return sequence;
}

// Holds each key in turn for its number of passes, recording the value after
// every pass: out past one bound, back past the other, then both directions
// at once.
FloatStepSequence keyPan(const char *name, uint32_t increase, uint32_t decrease, const float *value) {
  FloatStepSequence sequence{name, {}};
  const struct {
    uint32_t keys[2];
    int passes;
  } holds[] = {{{increase, increase}, 155}, {{decrease, decrease}, 310}, {{increase, decrease}, 20}};
  for (const auto &hold : holds) {
    handleKeyDown(hold.keys[0]);
    handleKeyDown(hold.keys[1]);
    for (int pass = 0; pass < hold.passes; ++pass) {
      applyControls();
      sequence.bits.push_back(bitsOf(*value));
    }
    handleKeyUp(hold.keys[0]);
    handleKeyUp(hold.keys[1]);
  }
  return sequence;
}

// Zoom from 4.0 in past the near bound and back out past the far one, by the
// keypad keys (one press a pass) and by the wheel.
FloatStepSequence zoomSteps(bool byWheel) {
  FloatStepSequence sequence{byWheel ? "zoom-wheel" : "zoom-keys", {}};
  for (int step = 0; step < 64; ++step) {
    const bool zoomIn = step < 32;
    if (byWheel) {
      handleWheel(zoomIn ? -120 : 120);
    } else {
      const uint32_t key = zoomIn ? VK_CODE_KEYPAD_PLUS : VK_CODE_KEYPAD_MINUS;
      handleKeyDown(key);
      applyControls();
      handleKeyUp(key);
    }
    sequence.bits.push_back(bitsOf(viewerState.zoom));
  }
  return sequence;
}

// A drag with the left button: random pointer moves, one a pass.
FloatStepSequence dragPan() {
  FloatStepSequence sequence{"drag", {}};
  Numbers numbers;
  int32_t x = 320;
  int32_t y = 240;
  handleLeftButtonDown(x, y);
  for (int pass = 0; pass < 64; ++pass) {
    x += static_cast<int32_t>(numbers.next() % 121) - 60;
    y += static_cast<int32_t>(numbers.next() % 121) - 60;
    handlePointerMotion(x, y);
    applyControls();
    sequence.bits.push_back(bitsOf(viewerState.cameraX));
    sequence.bits.push_back(bitsOf(viewerState.cameraY));
  }
  handleLeftButtonUp();
  return sequence;
}

}  // namespace

std::vector<FloatStepSequence> computeFloatSteps() {
  std::vector<FloatStepSequence> sequences;
  resetViewerState();
  sequences.push_back(markerPositions());
  resetViewerState();
  sequences.push_back(keyPan("pan-x", VK_CODE_LEFT, VK_CODE_RIGHT, &viewerState.cameraX));
  sequences.push_back(keyPan("pan-y", VK_CODE_DOWN, VK_CODE_UP, &viewerState.cameraY));
  resetViewerState();
  sequences.push_back(zoomSteps(false));
  resetViewerState();
  sequences.push_back(zoomSteps(true));
  resetViewerState();
  sequences.push_back(dragPan());
  resetViewerState();
  return sequences;
}

std::string formatFloatSteps(const std::vector<FloatStepSequence> &sequences) {
  std::string text;
  char word[16];
  for (const FloatStepSequence &sequence : sequences) {
    text += sequence.name + " " + std::to_string(sequence.bits.size()) + "\n";
    for (size_t i = 0; i < sequence.bits.size(); ++i) {
      std::snprintf(word, sizeof word, "%08" PRIx32, sequence.bits[i]);
      text += word;
      text += (i % 8 == 7 || i + 1 == sequence.bits.size()) ? "\n" : " ";
    }
  }
  return text;
}

bool parseFloatSteps(const std::string &text, std::vector<FloatStepSequence> *sequences) {
  std::istringstream in(text);
  sequences->clear();
  FloatStepSequence sequence;
  size_t count = 0;
  while (in >> sequence.name >> count) {
    sequence.bits.clear();
    for (size_t i = 0; i < count; ++i) {
      std::string word;
      if (!(in >> word) || word.size() != 8 || word.find_first_not_of("0123456789abcdef") != std::string::npos)
        return false;
      sequence.bits.push_back(static_cast<uint32_t>(std::stoul(word, nullptr, 16)));
    }
    sequences->push_back(sequence);
  }
  return in.eof() && !sequences->empty();
}
