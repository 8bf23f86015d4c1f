#!/usr/bin/env bash
# End-to-end test of a map of the player's own in the Linux viewer (the
# steps are check_own_map's, which the Windows viewer's test takes too): the
# real program on its own Xvfb display, driven by xdotool, checked on
# screenshots.
#   own_map_e2e.sh VIEWER WRITE_SAVE WRITE_GUIDE SCREEN_PROBE WORK_DIR
# Exit status: 0 passed, 1 failed, 77 skipped (a tool is missing).
set -euo pipefail
# shellcheck source-path=SCRIPTDIR source=e2e_common.sh
source "$(dirname "${BASH_SOURCE[0]}")/e2e_common.sh"

viewer=$(realpath "$1")
write_save=$(realpath "$2")
write_guide=$(realpath "$3")
probe=$(realpath "$4")
work=$(realpath -m "$5")

require_tools Xvfb xdotool zenity import convert xwininfo setxkbmap

rm -rf "$work"
mkdir -p "$work/home" "$work/runtime"
chmod 700 "$work/runtime"
# A home of the test's own: the kept map goes to its XDG data folder.
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_DATA_HOME=$work/home/.local/share
export XDG_CACHE_HOME=$work/home/.cache XDG_RUNTIME_DIR=$work/runtime
export NO_AT_BRIDGE=1 GTK_USE_PORTAL=0 GDK_BACKEND=x11 SDL_VIDEODRIVER=x11
unset WAYLAND_DISPLAY

exit_timeout=10

cleanup() {
  if [ -n "$viewer_pid" ] && kill -0 "$viewer_pid" 2>/dev/null; then
    pkill -KILL -P "$viewer_pid" 2>/dev/null || true
    kill -KILL "$viewer_pid" 2>/dev/null || true
  fi
  stop_xvfb
}
trap cleanup EXIT

start_xvfb

run_probe() { "$probe" "$@"; }
# The whole screen: the viewer's window stands at (0, 0).
grab() { import -window root -depth 8 "ppm:$work/$1.ppm"; }
write_guide() { "$write_guide" "$@"; }

# start_viewer [SAVE], in start_folder when set.
start_viewer() {
  (cd "${start_folder:-$(dirname "$viewer")}" && exec "$viewer" "$@") >"$work/viewer.out" 2>"$work/viewer.err" &
  viewer_pid=$!
  viewer_window=$(wait_window "$TITLE_PREFIX" 20) || fail "no viewer window"
  focus "$viewer_window"
}
# 'M' with no map of the player's own: the picture chooser, and PATH in it.
choose_picture() {
  press m
  local chooser
  chooser=$(wait_window "Choose a Picture of the Map\"" 20) || fail "'M' opened no picture chooser"
  focus "$chooser"
  window_at_rest "$chooser" chooser
  # Ctrl+L opens the name field (as the save chooser's test does).
  xdotool key ctrl+l
  window_changed "$chooser" chooser_field chooser
  xdotool type --delay 25 "$1"
  window_changed "$chooser" chooser_typed chooser_field
  xdotool key Return
  wait_gone "Choose a Picture of the Map\"" 10 || fail "the picture chooser did not close"
  focus "$viewer_window"
}

"$write_save" "$work/save.b" "$work/markers.txt" >/dev/null
check_own_map "$work/save.b" "$XDG_DATA_HOME/package-viewer"
echo "PASSED"
