// The table of ratios that the benchmark program prints after its run: each
// row sets one measured subject beside its reference (and, for pictures, a
// peer decoder), by the benchmarks' registered names.
#pragma once

#include <string>

enum class RowUnit {
  MEGABYTES_PER_SECOND,  // bytes / time: files and pictures
  FRAMES_PER_SECOND,     // one iteration per frame
  MILLISECONDS,          // the subject's time alone; no reference
};

struct TableRow {
  std::string label;
  std::string subject;    // benchmark whose speed the row is about
  std::string peer;       // another implementation of the same work, or empty
  std::string reference;  // the bound the ratio is taken against, or empty
  std::string second;     // a second bound, shown as a ratio beside the first, or empty
  double bytes = 0;       // bytes per iteration, for MEGABYTES_PER_SECOND
  double goal = 0;        // least acceptable subject / reference speed ratio; 0: none
  RowUnit unit = RowUnit::MEGABYTES_PER_SECOND;
  // Compare the calling thread's processor time (user and kernel), which other
  // programs on a busy machine disturb less than the wall clock; work done in
  // other threads (a software OpenGL driver's) needs the wall clock.
  bool threadTime = true;
};

void addTableRow(const TableRow &row);

// A fresh path in the temporary folder for a benchmark input; every such file
// is removed when the program ends.
std::string benchTemporaryPath(const std::string &name);
