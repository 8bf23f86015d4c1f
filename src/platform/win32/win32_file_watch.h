// The Windows watch of the followed save: the changes of its folder, whose
// event the message loop waits on beside its messages.
#pragma once

#include <windows.h>

// platformWatchFile and platformTakeFileChange of the Windows viewer.
bool win32WatchFile(const char *name);
bool win32TakeFileChange();

// The event of the watched folder, or null while nothing is watched.
// Signalled when a file in the folder was written, created, renamed or
// deleted.
HANDLE win32FileWatchHandle();

// Called by the message loop when the handle was signalled: notes the change
// for platformTakeFileChange when one of the changes was the save's, and arms
// the handle for the next ones.
void win32NoteFileWatchSignalled();
