// A cap on the test process's address space (Linux), so that a test can tell
// whether a reader asked for a block far larger than its input: such a
// request fails under the cap instead of being granted and never touched.
#pragma once

#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>

#if defined(__SANITIZE_ADDRESS__)
// Under the cap a failed allocation must return null, as it does without the
// sanitizer, rather than end the run. A definition: only one file of a test
// program may include this header.
extern "C" const char *__asan_default_options() { return "allocator_may_return_null=1"; }
#endif

class AddressSpaceCap {
 public:
  // Leaves room for `headroom` more bytes of address space than the process
  // uses now (the sanitizers' reserved shadow memory included).
  explicit AddressSpaceCap(unsigned long long headroom) {
    unsigned long long pages = 0;
    FILE *statm = std::fopen("/proc/self/statm", "r");
    bool known = statm && std::fscanf(statm, "%llu", &pages) == 1;
    if (statm) std::fclose(statm);
    active_ = known && getrlimit(RLIMIT_AS, &saved_) == 0;
    if (!active_) return;
    rlimit capped = saved_;
    capped.rlim_cur = pages * static_cast<unsigned long long>(sysconf(_SC_PAGESIZE)) + headroom;
    if (saved_.rlim_max != RLIM_INFINITY && capped.rlim_cur > saved_.rlim_max) capped.rlim_cur = saved_.rlim_max;
    active_ = setrlimit(RLIMIT_AS, &capped) == 0;
  }
  ~AddressSpaceCap() {
    if (active_) setrlimit(RLIMIT_AS, &saved_);
  }
  AddressSpaceCap(const AddressSpaceCap &) = delete;
  AddressSpaceCap &operator=(const AddressSpaceCap &) = delete;

  // Whether the cap is in force; a test that relies on it fails without it.
  bool active() const { return active_; }

 private:
  rlimit saved_{};
  bool active_ = false;
};
