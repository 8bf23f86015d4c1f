// The camera, zoom and marker arithmetic run over fixed input sequences, every
// result kept as the bits of its 32-bit float. The x86-64 build's results are
// kept in tests/app/float_steps.txt (written by write-float-steps); every
// build must reproduce them bit for bit.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct FloatStepSequence {
  std::string name;
  std::vector<uint32_t> bits;
};

// Runs every sequence from a freshly reset viewerState and resets it again
// at the end.
std::vector<FloatStepSequence> computeFloatSteps();

// The table's text: per sequence a line "NAME COUNT", then the bits in
// hexadecimal, eight to a line.
std::string formatFloatSteps(const std::vector<FloatStepSequence> &sequences);

// Reads that text back; false when it is malformed.
bool parseFloatSteps(const std::string &text, std::vector<FloatStepSequence> *sequences);
