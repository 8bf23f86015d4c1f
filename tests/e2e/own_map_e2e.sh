#!/usr/bin/env bash
# End-to-end test of a map of the player's own in the Linux viewer: a guide
# map with a ring at each marker's place (an off-centre part of the world at
# an odd scale) chosen with 'M', pinned by two markers with the mouse, and
# kept; every marker on it then sits within a pixel of its ring's centre, and
# still does after a restart. Escape leaves the map as it was; Delete, after
# its question, brings the chart back.
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
kept=$XDG_DATA_HOME/package-viewer

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
grab() { import -window root -depth 8 "ppm:$work/$1.ppm"; }

start_viewer() {
  (cd "$(dirname "$viewer")" && exec "$viewer" "$@") >"$work/viewer.out" 2>"$work/viewer.err" &
  viewer_pid=$!
  viewer_window=$(wait_window "$TITLE_PREFIX" 20) || fail "no viewer window"
  focus "$viewer_window"
}
stop_viewer() {
  focus "$viewer_window"
  press Escape
  wait_gone "$TITLE_PREFIX" "$exit_timeout" || fail "the viewer did not end on escape"
  wait "$viewer_pid" || true
  viewer_pid=
}
# 'M' with no map of the player's own: the picture chooser, and PATH in it.
choose_picture() {
  press m
  local chooser
  chooser=$(wait_window "Choose a Picture of the Map\"" 20) || fail "'M' opened no picture chooser"
  focus "$chooser"
  window_at_rest "$chooser" chooser
  xdotool key ctrl+l
  window_changed "$chooser" chooser_field chooser
  xdotool type --delay 25 "$1"
  window_changed "$chooser" chooser_typed chooser_field
  xdotool key Return
  wait_gone "Choose a Picture of the Map\"" 10 || fail "the picture chooser did not close"
  focus "$viewer_window"
}
# A click: press and release at one place.
click() { xdotool mousemove --sync "$1" "$2" click 1; }

"$write_save" "$work/save.b" "$work/markers.txt" >/dev/null
"$write_guide" "$work/guide.bmp" "$work/markers.txt" >"$work/guide.txt"
mapfile -t pins < <(grep '^pin ' "$work/guide.txt")

step "start"
start_viewer "$work/save.b"
shot loaded

step "Escape leaves the map as it was"
choose_picture "$work/guide.bmp"
shot_changed aligning loaded
# A drag moves the picture, not the view.
xdotool mousemove --sync 200 200 mousedown 1 mousemove --sync 230 220 mouseup 1
shot_changed dragged aligning
press Escape
shot_until escaped 10 same_picture escaped loaded
kill -0 "$viewer_pid" || fail "Escape while aligning ended the viewer"

step "two pins, Enter"
choose_picture "$work/guide.bmp"
shot aligning
for pin in "${pins[@]}"; do
  read -r _ marker_x marker_y ring_x ring_y <<<"$pin"
  click "$marker_x" "$marker_y"
  click "$ring_x" "$ring_y"
done
shot_changed pinned aligning
press Return
shot_until kept 10 run_probe rings "$work/kept.ppm" "$work/guide.txt"
run_probe rings "$work/kept.ppm" "$work/guide.txt"

step "kept across a restart"
[ -s "$kept/THmap.bmp" ] || fail "no map kept in $kept"
stop_viewer
start_viewer "$work/save.b"
shot restarted
run_probe rings "$work/restarted.ppm" "$work/guide.txt" || fail "after a restart the markers are off their rings"

step "Delete brings the chart back"
press m
shot_changed realigning restarted
press Delete
question=$(wait_window "Map of Your Own\"" 20) || fail "Delete asked no question"
focus "$question"
window_at_rest "$question" question
xdotool key alt+y
wait_gone "Map of Your Own\"" 10 || fail "the question did not close on Alt+Y"
focus "$viewer_window"
shot_until chart 10 same_picture chart loaded
[ ! -e "$kept/THmap.bmp" ] || fail "the kept map is still in $kept after Delete"
stop_viewer
echo "own map: aligned by two pins, kept across a restart, Escape and Delete as asked"
