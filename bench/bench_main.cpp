// The benchmark program: registers the picture, savegame, frame and route
// benchmarks, runs them with Google Benchmark, then prints the table of speed
// ratios that tells whether each subject keeps up with its reference, and the
// route planner's table of route lengths against the best known. Run it through
// scripts/bench; Google Benchmark's own flags (--benchmark_filter, ...) apply.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "bench_table.h"

void registerPictureBenchmarks();
void registerSavegameBenchmarks();
void registerFrameBenchmarks();
void registerRouteBenchmarks();
void printRouteQualityTable();

namespace {

std::vector<TableRow> tableRows;
std::vector<std::string> temporaryFiles;

// Passes every run on to the console and keeps each benchmark's seconds per
// iteration (wall clock and thread time), one value per repetition.
class TableReporter : public benchmark::ConsoleReporter {
 public:
  // With repetitions only each benchmark's median is shown.
  void ReportRuns(const std::vector<Run> &runs) override {
    std::vector<Run> shown;
    for (const Run &run : runs) {
      bool repeated = run.repetitions > 1;
      if (!repeated || (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median")) {
        shown.push_back(run);
      }
    }
    if (!shown.empty()) ConsoleReporter::ReportRuns(shown);
    for (const Run &run : runs) {
      if (run.run_type != Run::RT_Iteration || run.error_occurred || run.iterations == 0) continue;
      double iterations = static_cast<double>(run.iterations);
      wall_[run.run_name.function_name].push_back(run.real_accumulated_time / iterations);
      thread_[run.run_name.function_name].push_back(run.cpu_accumulated_time / iterations);
    }
  }

  // Median over the repetitions, or 0 when the benchmark did not run.
  double seconds(const std::string &name, bool threadTime) const {
    const auto &all = threadTime ? thread_ : wall_;
    auto found = all.find(name);
    if (found == all.end() || found->second.empty()) return 0;
    std::vector<double> values = found->second;
    std::sort(values.begin(), values.end());
    size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
  }

 private:
  std::map<std::string, std::vector<double>> wall_;
  std::map<std::string, std::vector<double>> thread_;
};

std::string speedText(const TableRow &row, double seconds) {
  char text[32];
  if (seconds <= 0) return "-";
  switch (row.unit) {
    case RowUnit::MEGABYTES_PER_SECOND:
      std::snprintf(text, sizeof text, "%.0f MB/s", row.bytes / seconds / 1e6);
      break;
    case RowUnit::FRAMES_PER_SECOND:
      std::snprintf(text, sizeof text, "%.0f fps", 1 / seconds);
      break;
    case RowUnit::MILLISECONDS:
      std::snprintf(text, sizeof text, "%.2f ms", seconds * 1e3);
      break;
  }
  return text;
}

std::string ratioText(double subject, double reference) {
  if (subject <= 0 || reference <= 0) return "-";
  char text[16];
  // A subject far slower than its reference (the route beside loading its
  // save) keeps three significant digits.
  const double ratio = reference / subject;
  std::snprintf(text, sizeof text, ratio < 0.01 ? "%.3g" : "%.2f", ratio);
  return text;
}

// Prints the table; returns the number of rows whose goal was missed.
int printTable(const TableReporter &reporter) {
  std::printf("\n%-28s %12s %12s %12s %8s %8s %8s %6s  %s\n", "case", "subject", "peer", "reference",
              "ratio", "peer", "2nd ref", "goal", "verdict");
  int missed = 0;
  for (const TableRow &row : tableRows) {
    double subject = reporter.seconds(row.subject, row.threadTime);
    double peer = row.peer.empty() ? 0 : reporter.seconds(row.peer, row.threadTime);
    double reference = row.reference.empty() ? 0 : reporter.seconds(row.reference, row.threadTime);
    double second = row.second.empty() ? 0 : reporter.seconds(row.second, row.threadTime);
    std::string verdict;
    char goal[16] = "-";
    if (row.goal > 0) {
      std::snprintf(goal, sizeof goal, ">=%.2f", row.goal);
      if (subject <= 0 || reference <= 0) {
        verdict = "not run";
      } else if (reference / subject >= row.goal) {
        verdict = "met";
      } else {
        verdict = "MISSED";
        ++missed;
      }
    }
    std::printf("%-28s %12s %12s %12s %8s %8s %8s %6s  %s\n", row.label.c_str(),
                speedText(row, subject).c_str(), speedText(row, peer).c_str(),
                speedText(row, reference).c_str(), ratioText(subject, reference).c_str(),
                ratioText(peer, reference).c_str(), ratioText(subject, second).c_str(), goal,
                verdict.c_str());
  }
  std::printf("ratio: reference time / subject time (1.00: as fast as the reference); "
              "peer: the same for the peer; 2nd ref: second reference time / subject time.\n"
              "Times are medians over the repetitions; file rows use the thread's processor time "
              "(user + kernel), frame rows the wall clock. MB = 10^6 bytes of output.\n");
  return missed;
}

}  // namespace

void addTableRow(const TableRow &row) { tableRows.push_back(row); }

std::string benchTemporaryPath(const std::string &name) {
  const char *base = std::getenv("TMPDIR");
  std::string path = std::string(base && *base ? base : "/tmp") + "/viewer-bench-" +
                     std::to_string(getpid()) + "-" + name;
  temporaryFiles.push_back(path);
  return path;
}

int main(int argc, char **argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  registerPictureBenchmarks();
  registerSavegameBenchmarks();
  registerFrameBenchmarks();
  registerRouteBenchmarks();
  TableReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  printTable(reporter);
  printRouteQualityTable();
  benchmark::Shutdown();
  for (const std::string &path : temporaryFiles) std::remove(path.c_str());
  return 0;
}
