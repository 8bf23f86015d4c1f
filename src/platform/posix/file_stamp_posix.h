// The POSIX stamp of a file, which each layer on POSIX hands out as its
// platformFileStamp (the headless layer through its test stand-in).
#pragma once

#include "platform/platform.h"

// One stat call: device and inode, size, and the modification and change
// times in nanoseconds.
FileStamp posixFileStamp(const char *name);
