// package-tool's platform on Windows: the Windows file views and GDI's DIB
// conversion, so that pictures load as the Windows viewer loads them; the
// viewer's file stamps and watch, through which serve follows a save; message
// boxes are recorded and printed (recorded_message_box.cpp with the tool's
// sink); nothing is drawn and no one is asked to choose a save.
#include "platform/platform.h"
#include "platform/win32/win32_file_stamp.h"
#include "platform/win32/win32_file_watch.h"
#include "platform/win32/win32_gdi_convert.h"

DibConvertResult platformConvertDib(const DibSource &source, unsigned char *rgb) {
  return convertDibWithGdi(source, rgb);
}

FileStamp platformFileStamp(const char *name) { return win32FileStamp(name); }

bool platformWatchFile(const char *name) { return win32WatchFile(name); }

bool platformTakeFileChange() { return win32TakeFileChange(); }

void platformSwapBuffers() {}

bool platformChooseSavegame(char *) { return false; }

bool platformChoosePicture(char *) { return false; }

bool platformAskQuestion(const char *, const char *) { return false; }
