// The camera, zoom and marker arithmetic gives the same 32-bit floats, bit for
// bit, as the x86-64 build that wrote tests/app/float_steps.txt. On the 32-bit
// Windows build this fails when floats are computed at the x87 unit's extended
// precision and rounded only at the end.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "support/float_steps.h"

namespace {

TEST(FloatSteps, EveryStepMatchesTheX8664Results) {
  std::ifstream file(FLOAT_STEPS_TABLE, std::ios::binary);
  ASSERT_TRUE(file) << "cannot read " FLOAT_STEPS_TABLE;
  std::stringstream text;
  text << file.rdbuf();
  std::vector<FloatStepSequence> expected;
  ASSERT_TRUE(parseFloatSteps(text.str(), &expected)) << FLOAT_STEPS_TABLE " is malformed";

  const std::vector<FloatStepSequence> computed = computeFloatSteps();
  ASSERT_EQ(computed.size(), expected.size()) << "rewrite the table with write-float-steps";
  for (size_t s = 0; s < computed.size(); ++s) {
    const FloatStepSequence &want = expected[s];
    const FloatStepSequence &got = computed[s];
    ASSERT_EQ(got.name, want.name) << "rewrite the table with write-float-steps";
    ASSERT_EQ(got.bits.size(), want.bits.size()) << got.name;
    size_t differing = 0;
    size_t first = 0;
    for (size_t i = got.bits.size(); i-- > 0;) {
      if (got.bits[i] == want.bits[i]) continue;
      ++differing;
      first = i;
    }
    EXPECT_EQ(differing, 0u) << got.name << ": " << differing << " of " << got.bits.size()
                             << " values differ, the first at " << first << ": " << std::hex << got.bits[first]
                             << " instead of " << want.bits[first];
  }
}

}  // namespace
