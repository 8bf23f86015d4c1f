#!/usr/bin/env bash
# End-to-end test of a map of the player's own in the 32-bit Windows viewer
# under wine (the steps are check_own_map's, as for the Linux viewer): the
# guide map chosen in the Windows dialog, pinned with the mouse, kept in
# %APPDATA%\KZR Package Viewer, and gone again with Delete and Yes.
#   wine_own_map_e2e.sh VIEWER.exe WRITE_SAVE.exe WRITE_GUIDE.exe SCREEN_PROBE.exe WINE_RUN ASSETS_DIR WORK_DIR
# Exit status: 0 passed, 1 failed, 77 skipped (a tool is missing).
set -euo pipefail
# shellcheck source-path=SCRIPTDIR source=e2e_common.sh
source "$(dirname "${BASH_SOURCE[0]}")/e2e_common.sh"

viewer=$1
write_save=$2
write_guide_exe=$3
probe=$4
wine_run=$5
assets=$6
work=$7

require_tools wine Xvfb xdotool import convert xwininfo

# The prefix of the Windows viewer's other end-to-end test: made once.
prefix=$(dirname "$work")/wineprefix-e2e
rm -rf "$work"
mkdir -p "$work/run"
cp "$viewer" "$assets/font.bmp" "$assets/THmap.bmp" "$work/run/"
exit_timeout=15

cleanup() {
  if [ -n "$viewer_pid" ] && kill -0 "$viewer_pid" 2>/dev/null; then kill "$viewer_pid" 2>/dev/null || true; fi
  WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
  stop_xvfb
}
trap cleanup EXIT

start_xvfb

win() { "$wine_run" "$prefix" "$@" | tr -d '\r'; }
run_probe() { win "$probe" "$@"; }
grab() { import -window root -crop "640x480+$client_x+$client_y" +repage -depth 8 "ppm:$work/$1.ppm"; }
windows_path() { local path=$1; echo "Z:${path//\//\\}"; }
write_guide() { win "$write_guide_exe" "$@"; }

# start_viewer [SAVE], in start_folder when set.
start_viewer() {
  local arguments=()
  [ $# -gt 0 ] && arguments=("$(windows_path "$1")")
  (cd "${start_folder:-$work/run}" && exec "$wine_run" "$prefix" "$work/run/package-viewer.exe" "${arguments[@]}") \
    >"$work/viewer.out" 2>&1 &
  viewer_pid=$!
  viewer_window=$(wait_window "$TITLE_PREFIX" 60) || fail "no viewer window"
  focus "$viewer_window"
}
# 'M' with no map of the player's own: the Windows dialog, PATH typed into
# its name field.
choose_picture() {
  press m
  local dialog
  dialog=$(wait_window "Choose a Picture of the Map\"" 20) || fail "'M' opened no picture dialog"
  window_at_rest "$dialog" dialog
  focus "$dialog"
  xdotool type --delay 25 "$(windows_path "$1")"
  window_changed "$dialog" dialog_typed dialog
  xdotool key Return
  wait_gone "Choose a Picture of the Map\"" 10 || fail "the picture dialog did not close"
  focus "$viewer_window"
}

step "wine prefix and save"
win "$write_save" "$work/save.b" "$work/markers.txt" >/dev/null || fail "the save writer failed"
appdata=$(win cmd /c echo %APPDATA%)
kept=$(WINEPREFIX=$prefix winepath -u "$appdata\\KZR Package Viewer" 2>/dev/null)
check_own_map "$work/save.b" "$kept"
echo "PASSED"
