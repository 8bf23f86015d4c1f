// The Windows stamp of a file, which the viewer and the Windows test platform
// hand out as their platformFileStamp.
#pragma once

#include "platform/platform.h"

// Volume serial number and file index, size and last-write time, from a
// handle opened for no access that shares reading, writing and deletion.
FileStamp win32FileStamp(const char *name);
