// The headless platform: no window and no user, for the tests and the
// command-line tool. It is also where a new port starts: every service of
// platform.h is listed here, with where this platform provides it and what a
// port to a real system does in its place.
//
//   platformShowMessageBox   recorded_message_box.cpp: recorded (and passed to
//                            a sink that package-tool prints). A real port
//                            shows a modal box with one OK button, owned by
//                            the main window or the focus window, and returns
//                            when the user has closed it.
//   platformMapFile,         ../posix/file_view_posix.cpp: open, fstat, mmap.
//   platformUnmapFile        A real port maps the whole file read-only and
//                            refuses what is not a regular file.
//   platformOpenRegularFile, ../posix/regular_file_posix.cpp: opens without
//   platformSeekFile         blocking and refuses folders, FIFOs, devices and
//                            sockets; seeks with 64-bit offsets.
//   platformFileStamp        below: ../posix/file_stamp_posix.cpp (one stat
//                            call) through the tests' hook. A real port reads
//                            identity, size and times without reading the
//                            file and without standing in a writer's way.
//   platformWatchFile,       standin_file_watch.cpp: records the name; the
//   platformTakeFileChange   tests say when the save changed. A real port
//                            watches the save's folder (inotify, change
//                            notifications) and wakes its main loop.
//   platformConvertDib       below: the project's own converter. A port with
//                            a system converter (GDI on Windows) may use it
//                            instead, as long as the output is the same.
//   platformSwapBuffers      headless_gl.cpp: nothing to present offscreen.
//                            A real port swaps the main window's buffers.
//   platformChooseSavegame   headless_chooser.cpp: answers from a script. A
//                            real port shows the system's open-file chooser,
//                            modal, redrawing the main window meanwhile.
#include "image/dib_convert.h"
#include "platform/headless/headless.h"
#include "platform/posix/file_stamp_posix.h"

DibConvertResult platformConvertDib(const DibSource &source, unsigned char *rgb) {
  return convertDibPortable(source, rgb);
}

FileStamp platformFileStamp(const char *name) { return headlessStampThroughHook(name, posixFileStamp(name)); }
