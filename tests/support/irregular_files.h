// Paths that name something other than a regular file, for the tests of the
// readers that must refuse them at once.
#pragma once

#include <functional>
#include <string>

// Calls check(what, path) for a folder, and on Linux for a FIFO and /dev/zero,
// on Windows for the NUL and CON devices. While check runs on the FIFO a
// writer waits to open it: a reader that wrongly blocks in opening the FIFO is
// released by it (and then finds the FIFO empty) instead of hanging the test.
void forEachIrregularFile(const std::function<void(const std::string &what, const std::string &path)> &check);
