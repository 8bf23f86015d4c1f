// Prints the table of tests/app/float_steps.txt as this build computes it:
//   write-float-steps > tests/app/float_steps.txt   (from the x86-64 build)
#include <cstdio>

#include "support/float_steps.h"

int main() {
  std::fputs(formatFloatSteps(computeFloatSteps()).c_str(), stdout);
  return 0;
}
