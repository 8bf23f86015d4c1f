#!/usr/bin/env bash
# End-to-end test of the 32-bit Windows viewer: the real package-viewer.exe
# under wine on its own Xvfb display, driven by xdotool, checked on
# screenshots. The save writer and the screenshot probe are the Linux test's,
# built for Windows and run under wine too.
#   wine_e2e.sh VIEWER.exe WRITE_SAVE.exe SCREEN_PROBE.exe WINE_RUN ASSETS_DIR WORK_DIR
# The viewer runs in WORK_DIR/run, which holds font.bmp and THmap.bmp (once
# from another folder, to find them beside the .exe); wine
# gets a prefix of its own in WORK_DIR/../wineprefix-e2e (made on first use).
# Exit status: 0 passed, 1 failed, 77 skipped (a tool is missing).
set -euo pipefail
# shellcheck source-path=SCRIPTDIR source=e2e_common.sh
source "$(dirname "${BASH_SOURCE[0]}")/e2e_common.sh"

viewer=$1
write_save=$2
probe=$3
wine_run=$4
assets=$5
work=$6

require_tools wine Xvfb xdotool import convert xwininfo

prefix=$(dirname "$work")/wineprefix-e2e
rm -rf "$work"
mkdir -p "$work/run"
cp "$viewer" "$assets/font.bmp" "$assets/THmap.bmp" "$work/run/"

# Wine is slower to end a program.
exit_timeout=15

cleanup() {
  if [ -n "$viewer_pid" ] && kill -0 "$viewer_pid" 2>/dev/null; then kill "$viewer_pid" 2>/dev/null || true; fi
  # Ends every wine process of the test's prefix, the viewer's included.
  WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
  stop_xvfb
}
trap cleanup EXIT

start_xvfb

# --- helpers -----------------------------------------------------------------

# A Windows program under wine; its console output loses the carriage returns.
win() { "$wine_run" "$prefix" "$@" | tr -d '\r'; }
run_probe() { win "$probe" "$@"; }
# The client area alone: wine's X window for it stands at (client_x, client_y).
grab() { import -window root -crop "640x480+$client_x+$client_y" +repage -depth 8 "ppm:$work/$1.ppm"; }
# The Windows name of a file of the test (wine's drive Z: is the root).
windows_path() { local path=$1; echo "Z:${path//\//\\}"; }
write_save_file() { win "$write_save" "$@" >/dev/null; }

# start_viewer [SAVE]
start_viewer() {
  local arguments=()
  [ $# -gt 0 ] && arguments=("$(windows_path "$1")")
  (cd "${start_folder:-$work/run}" && exec "$wine_run" "$prefix" "$work/run/package-viewer.exe" "${arguments[@]}") \
    >"$work/viewer.out" 2>&1 &
  viewer_pid=$!
  viewer_window=$(wait_window "$TITLE_PREFIX" 60) || fail "no viewer window"
  focus "$viewer_window"
}
close_chooser() {
  focus "$1"
  xdotool key Escape
  wait_gone "Open a File\"" 10 || fail "the dialog did not close on escape"
}
# Opens the dialog with 'O', types a path into its name field and confirms.
choose_file() {
  press o
  local dialog
  dialog=$(wait_window "Open a File\"" 20) || fail "'O' opened no window titled \"Open a File\""
  step "dialog open: $dialog"
  # The dialog takes keys once it has drawn itself; its name field has the
  # focus.
  window_at_rest "$dialog" dialog
  focus "$dialog"
  xdotool type --delay 25 "$(windows_path "$1")"
  window_changed "$dialog" dialog_typed dialog
  xdotool key Return
  if ! wait_gone "Open a File\"" 10; then
    shot dialog_stuck
    fail "the dialog did not close (see dialog_stuck.ppm)"
  fi
}

step "wine prefix and save"
win "$write_save" "$work/save.b" "$work/markers.txt" || fail "the save writer failed"
[ -s "$work/save.b" ] || fail "no save written"

# --- the window ----------------------------------------------------------------
step "start"
start_viewer
check_window
echo "client area at $client_x,$client_y"
# The window itself stands at (0, 0); its frame puts the client area a little
# right of and below that.
in_range "$client_x" 0 12 && in_range "$client_y" 0 40 || fail "window not at the top left"
check_start_map

# --- help page -------------------------------------------------------------------
check_help_page

# --- loading a save ------------------------------------------------------------------
step "load"
choose_file "$work/save.b"
check_loaded

# --- F12: the picture beside the save ---------------------------------------------------
step "F12"
check_f12_picture "$work" save loaded

# --- zoom ----------------------------------------------------------------------------
check_zoom
# The main keyboard's '=' (the '+' key) and '-' zoom as the keypad's do.
press equal
shot_changed zoom_main_plus loaded
markers_at zoom_main_plus 3.9
press minus
shot_changed zoom_main_minus zoom_main_plus
[ "$(differing loaded zoom_main_minus)" -eq 0 ] || fail "the main keyboard's '-' did not zoom back out"

# --- panning -------------------------------------------------------------------------
check_pan w "'W'"

# --- a missing file ----------------------------------------------------------------------
check_missing_file

# --- the end -------------------------------------------------------------------------
check_escape

# Started from a folder without the pictures, it takes them from the folder
# of the .exe: the same first picture.
step "close, started from another folder"
mkdir -p "$work/elsewhere"
start_folder=$work/elsewhere start_viewer
shot_until elsewhere 20 start_map_shown elsewhere
[ "$(differing start elsewhere)" -eq 0 ] || fail "started elsewhere, the first picture differs"
xdotool key alt+F4
expect_exit_status_1 "Alt+F4 (closing the window)"

# --- the companion: a save by argument, rewritten by the game; quick taps ------------
check_start_with_save "$work/save.b"
check_reload "$work/save.b"
check_taps
check_escape
check_first_key 20

echo "PASSED"
