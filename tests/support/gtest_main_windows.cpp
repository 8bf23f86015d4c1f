// The main function of the Windows test programs: GoogleTest's, except that
// the program does not end while a thread of GoogleTest's is still starting.
//
// On Windows GoogleTest starts a thread the first time it keeps a value for a
// thread (an assertion's reporter, a SCOPED_TRACE), to watch for that
// thread's end. Under wine (8.0, i386) a program that ends while that thread
// is still starting dies of a host SIGSEGV after its tests have passed: the
// signal that ends the starting thread is handled before wine has set up the
// thread's registers for its handlers. So the main thread's watcher is
// started first, and the program ends only once the watcher has started.
#include <gtest/gtest.h>

#include <windows.h>

namespace {

volatile LONG threadsStarted = 0;

void NTAPI noteThreadStart(PVOID, DWORD reason, PVOID) {
  if (reason == DLL_THREAD_ATTACH) InterlockedIncrement(&threadsStarted);
}

}  // namespace

// The loader calls this in every new thread of the program once the thread
// runs, before the thread's own function.
extern "C" __attribute__((section(".CRT$XLF"), used))
const PIMAGE_TLS_CALLBACK viewerTestThreadStart = noteThreadStart;

int main(int argc, char **argv) {
  testing::InitGoogleTest(&argc, argv);
  // The first value kept for this thread starts its watcher; the tests then
  // start no other thread.
  testing::internal::ThreadLocal<int> firstValue;
  firstValue.get();
  const int status = RUN_ALL_TESTS();
  for (int waited = 0; threadsStarted == 0 && waited < 10000; ++waited) Sleep(1);
  return status;
}
