// process-race ROUNDS GOAL LABEL FILE FLOOR LOADER [OTHER...]: times whole
// processes, start to exit, each given FILE as its one argument: FLOOR (the
// yardstick), LOADER and any OTHER programs, interleaved round by round (each
// round starts with the next program, so none always runs on a cache the
// previous one warmed), after one untimed round. A program may carry its own
// arguments before FILE: "bmp-load-time --no-hash" (split at spaces). Prints one table row: the
// median wall times of floor and loader, the speed ratios floor ÷ loader and
// floor ÷ each other program, the goal for the loader's ratio, whether it is
// met, the spread of the loader's times (interquartile range ÷ median) as a
// measure of the noise, and the floor ÷ loader ratio of processor time (user
// and kernel, from the exit status), which a busy machine disturbs less. Another program that cannot read the file shows
// "-"; a floor or loader that fails ends the run with 1.
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <cstdio>
#include <cstdlib>
#include <vector>

extern char **environ;

namespace {

struct Timing {
  double wall;  // seconds from start to exit; negative when it failed
  double cpu;   // user and kernel seconds
};

// Runs the command with FILE and its output discarded.
Timing timeOnce(const std::string &command, const char *file) {
  std::vector<std::string> words;
  for (size_t at = 0; at < command.size();) {
    size_t space = command.find(' ', at);
    if (space == std::string::npos) space = command.size();
    if (space > at) words.push_back(command.substr(at, space - at));
    at = space + 1;
  }
  std::vector<char *> argv;
  for (std::string &word : words) argv.push_back(&word[0]);
  argv.push_back(const_cast<char *>(file));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  auto start = std::chrono::steady_clock::now();
  pid_t child;
  int status = 0;
  struct rusage usage {};
  bool ran = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ) == 0 &&
             wait4(child, &status, 0, &usage) == child;
  auto end = std::chrono::steady_clock::now();
  posix_spawn_file_actions_destroy(&actions);
  if (!ran || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return Timing{-1, 0};
  double cpu = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
               static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
  return Timing{std::chrono::duration<double>(end - start).count(), cpu};
}

double quantile(std::vector<double> values, double q) {
  std::sort(values.begin(), values.end());
  double at = q * static_cast<double>(values.size() - 1);
  size_t low = static_cast<size_t>(at);
  size_t high = std::min(low + 1, values.size() - 1);
  return values[low] + (values[high] - values[low]) * (at - static_cast<double>(low));
}

}  // namespace

int main(int argc, char **argv) {
  if (argc < 7) {
    std::fprintf(stderr, "usage: process-race ROUNDS GOAL LABEL FILE FLOOR LOADER [OTHER...]\n");
    return 2;
  }
  int rounds = std::atoi(argv[1]);
  double goal = std::atof(argv[2]);
  const char *label = argv[3];
  const char *file = argv[4];
  std::vector<const char *> programs(argv + 5, argv + argc);
  const size_t count = programs.size();
  if (rounds < 1) return 2;

  std::vector<std::vector<double>> times(count), cpuTimes(count);
  std::vector<bool> failed(count, false);
  for (int round = -1; round < rounds; ++round) {
    for (size_t k = 0; k < count; ++k) {
      size_t p = (static_cast<size_t>(round + 1) + k) % count;
      if (failed[p]) continue;
      Timing timing = timeOnce(programs[p], file);
      if (timing.wall < 0) {
        failed[p] = true;
      } else if (round >= 0) {
        times[p].push_back(timing.wall);
        cpuTimes[p].push_back(timing.cpu);
      }
    }
  }
  if (failed[0] || failed[1]) {
    std::fprintf(stderr, "process-race: %s failed on %s\n", programs[failed[0] ? 0 : 1], file);
    return 1;
  }
  double floor = quantile(times[0], 0.5);
  double loader = quantile(times[1], 0.5);
  double spread = (quantile(times[1], 0.75) - quantile(times[1], 0.25)) / loader;
  double ratio = floor / loader;
  std::printf("%-8s %9.1f %9.1f %6.2f", label, floor * 1e3, loader * 1e3, ratio);
  for (size_t p = 2; p < count; ++p) {
    if (failed[p]) {
      std::printf(" %7s", "-");
    } else {
      std::printf(" %7.2f", floor / quantile(times[p], 0.5));
    }
  }
  std::printf(" %6.2f  %-6s %5.0f%% %6.2f\n", goal, ratio >= goal ? "met" : "MISSED", spread * 100,
              quantile(cpuTimes[0], 0.5) / quantile(cpuTimes[1], 0.5));
  return 0;
}
