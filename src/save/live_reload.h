// Following the loaded save as the game rewrites it: about once a second the
// file's size and modification time are looked at, and a changed file is read
// again quietly.
#pragma once

#include <cstddef>
#include <cstdint>

// Milliseconds between two looks at the save.
constexpr uint32_t RELOAD_CHECK_INTERVAL_MS = 1000;

// Notes the current stamp of the save in viewerState.saveFileName as the one
// already read, so that only later changes count. Called just before a save
// is read on the user's request.
void watchSavegame();

// Looks at the save when a check is due at `now` (the platform's millisecond
// clock, which may wrap). When its stamp changed since it was last read, or an
// earlier changed version did not read cleanly, reads it again: a clean read
// replaces the lists (returns true, a frame is due); a failed one (the game
// may still be writing) shows no box, keeps the lists exactly as they were and
// is tried again at the next check. Without a save nothing is looked at.
bool reloadSavegameIfChanged(uint32_t now);

// Milliseconds from `now` until reloadSavegameIfChanged has something to do:
// 0 when a check is due, UINT32_MAX when no save is named.
uint32_t millisecondsUntilReloadCheck(uint32_t now);

// The quiet read of reloadSavegameIfChanged for a platform that looks at the
// followed file itself and hands over the changed version's bytes (the
// browser, through the file's handle): a clean read replaces the lists
// (returns true, a frame is due); a failed one shows no box and keeps the
// lists exactly as they were, and the platform tries again at its next look.
bool reloadSavegameBytes(const unsigned char *bytes, size_t size);
