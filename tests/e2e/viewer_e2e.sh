#!/usr/bin/env bash
# End-to-end test of the Linux viewer: the real program on its own Xvfb
# display, driven by xdotool, checked on screenshots.
#   viewer_e2e.sh VIEWER WRITE_SAVE SCREEN_PROBE CLOSE_WINDOW WORK_DIR [SCREENSHOT.png]
# The viewer runs in its own folder, which holds font.bmp and THmap.bmp. With
# SCREENSHOT.png, the 640 x 480 picture of the loaded save is kept there.
# Exit status: 0 passed, 1 failed, 77 skipped (a tool is missing).
set -euo pipefail

viewer=$(realpath "$1")
write_save=$(realpath "$2")
probe=$(realpath "$3")
close_window=$(realpath "$4")
work=$(realpath -m "$5")
keep_screenshot=${6:+$(realpath -m "$6")}

for tool in Xvfb xdotool zenity import convert xwininfo; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIPPED: $tool is not installed (scripts/install-deps test installs it)"
    exit 77
  fi
done

rm -rf "$work"
mkdir -p "$work/home" "$work/runtime"
chmod 700 "$work/runtime"
# The chooser (GTK) gets a home of its own, so no recent files or settings of
# the machine's user play a part, and nothing of ours is left behind.
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_DATA_HOME=$work/home/.local/share
export XDG_CACHE_HOME=$work/home/.cache XDG_RUNTIME_DIR=$work/runtime
export NO_AT_BRIDGE=1 GTK_USE_PORTAL=0 GDK_BACKEND=x11 SDL_VIDEODRIVER=x11
unset WAYLAND_DISPLAY

TITLE_PREFIX="KZR Tern Haven  Package Viewer V0.2a "
viewer_pid=
xvfb_pid=

step() { printf '%s  %s\n' "$(date +%T)" "$*"; }
fail() {
  echo "FAIL: $*"
  exit 1
}

cleanup() {
  if [ -n "$viewer_pid" ] && kill -0 "$viewer_pid" 2>/dev/null; then
    pkill -KILL -P "$viewer_pid" 2>/dev/null || true
    kill -KILL "$viewer_pid" 2>/dev/null || true
  fi
  # Wait for the server to be gone: a server still shutting down removes its
  # socket files, which would be a new server's on the same display number.
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
}
trap cleanup EXIT

# Xvfb picks a free display itself and writes its number to descriptor 3.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do
  [ -s "$work/display" ] && break
  sleep 0.1
done
[ -s "$work/display" ] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=:$(head -n1 "$work/display")
step "Xvfb on $DISPLAY"

# --- helpers -----------------------------------------------------------------

# Id of the top-level window whose title starts with $1 (xdotool cannot read
# titles stored as UTF-8 text by SDL's message box, xwininfo can).
window_id() {
  xwininfo -root -tree | awk -v prefix="\"$1" 'index($0, prefix) { print $1; exit }'
}
# Waits up to $2 seconds for such a window to be on screen (windows can exist
# unmapped for a while, and an unmapped window cannot take the focus).
wait_window() {
  local id
  for _ in $(seq $(($2 * 10))); do
    id=$(window_id "$1")
    if [ -n "$id" ] && xwininfo -id "$id" 2>/dev/null | grep -q 'Map State: IsViewable'; then
      echo "$id"
      return 0
    fi
    sleep 0.1
  done
  return 1
}
wait_gone() {
  for _ in $(seq $(($2 * 10))); do
    [ -z "$(window_id "$1")" ] && return 0
    sleep 0.1
  done
  return 1
}
# There is no window manager: the test gives the keyboard focus itself.
focus() { xdotool windowfocus --sync "$1" && sleep 0.2; }
press() {
  xdotool keydown "$1"
  sleep 0.1
  xdotool keyup "$1"
  sleep 0.3
}
hold() {
  xdotool keydown "$1"
  sleep "$2"
  xdotool keyup "$1"
  sleep 0.3
}
wheel() {
  xdotool click "$1"
  sleep 0.3
}
shot() {
  sleep 0.4
  import -window root -depth 8 "ppm:$work/$1.ppm"
}
# "left top right bottom" of the map square, left of the counter panel.
map_box() { "$probe" mapbox "$work/$1.ppm" 0 0 460 480; }
differing() { "$probe" diff "$work/$1.ppm" "$work/$2.ppm" 0 0 640 480; }
count() { "$probe" count "$work/$1.ppm" "$2" "$3" "$4" "$5" "$6"; }
# markers_at SHOT ZOOM [WIDTH HEIGHT]: every marker where the projection puts it.
markers_at() {
  "$probe" markers "$work/$1.ppm" "$work/markers.txt" "${3:-640}" "${4:-480}" "$2" 0 0 || fail "markers of $1 at zoom $2"
}
in_range() { [ "$1" -ge "$2" ] && [ "$1" -le "$3" ]; }

start_viewer() {
  (cd "$(dirname "$viewer")" && exec "$viewer") >"$work/viewer.out" 2>"$work/viewer.err" &
  viewer_pid=$!
  viewer_window=$(wait_window "$TITLE_PREFIX" 20) || fail "no viewer window"
  focus "$viewer_window"
}
# Waits up to 10 seconds for the viewer to end and checks its status.
expect_exit_status_1() {
  for _ in $(seq 100); do
    kill -0 "$viewer_pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$viewer_pid" 2>/dev/null && fail "the viewer did not end ($1)"
  local status=0
  wait "$viewer_pid" || status=$?
  viewer_pid=
  [ "$status" -eq 1 ] || fail "exit status $status after $1, expected 1"
  step "ended with status 1 after $1"
}
# Opens the chooser with 'O', types a path and confirms it.
choose_file() {
  press o
  local chooser
  chooser=$(wait_window "Open a File\"" 20) || fail "'O' opened no window titled \"Open a File\""
  step "chooser open: $chooser"
  # The chooser maps its window before it takes keys.
  sleep 1.5
  if [ -n "${2:-}" ]; then
    # While the chooser is open the viewer is modal: a key pressed in its
    # window does nothing, but uncovering the window repaints it.
    focus "$viewer_window"
    press h
    xdotool windowmove "$chooser" 700 0
    shot "$2"
  fi
  focus "$chooser"
  # Ctrl+L opens the name field; typing into the file list instead loses the
  # keys that arrive before the field has opened.
  xdotool key ctrl+l
  sleep 0.5
  xdotool type --delay 25 "$1"
  sleep 0.5
  xdotool key Return
  if ! wait_gone "Open a File\"" 10; then
    shot chooser_stuck
    fail "the chooser did not close (see chooser_stuck.ppm)"
  fi
}

"$write_save" "$work/save.b" "$work/markers.txt"

# --- the window ----------------------------------------------------------------
step "start"
start_viewer
title=$(xwininfo -id "$viewer_window" | sed -n 's/^xwininfo: Window id: [^ ]* "\(.*\)"$/\1/p')
echo "title: $title"
[[ $title == "$TITLE_PREFIX"?* ]] || fail "title '$title'"
geometry=$(xwininfo -id "$viewer_window")
grep -q 'Width: 640$' <<<"$geometry" || fail "client width: $geometry"
grep -q 'Height: 480$' <<<"$geometry" || fail "client height: $geometry"
grep -q 'Absolute upper-left X:  0$' <<<"$geometry" || fail "not at the left edge: $geometry"
grep -q 'Absolute upper-left Y:  0$' <<<"$geometry" || fail "not at the top edge: $geometry"

shot start
read -r left top right bottom <<<"$(map_box start)"
echo "map square: $left $top $right $bottom"
# At zoom 4 the square's half-height is 240 / (4 tan 15 deg) = 223.9 pixels.
in_range "$left" 95 97 && in_range "$top" 15 17 && in_range "$bottom" 462 464 || fail "map square at start"

# --- help page -------------------------------------------------------------------
step "help"
panel_text=$(count start 600 0 640 200 white)
[ "$panel_text" -gt 0 ] || fail "no panel text at start"
press h
shot help
help_text=$(count help 64 100 576 300 white)
echo "white pixels: help page $help_text, panel edge with help $(count help 600 0 640 200 white)"
[ "$help_text" -gt 500 ] || fail "'H' showed no help text"
[ "$(count help 600 0 640 200 white)" -eq 0 ] || fail "the panel is still shown with the help page"
press h
shot panel
[ "$(differing start panel)" -eq 0 ] || fail "'H' again did not bring the panel back"

# --- loading a save ------------------------------------------------------------------
step "load"
choose_file "$work/save.b" under_chooser
[ "$(differing panel under_chooser)" -eq 0 ] || fail "the window was not repainted, or 'H' acted, while the chooser was open"
focus "$viewer_window"
shot loaded
markers_at loaded 4
if [ -n "$keep_screenshot" ]; then
  convert "$work/loaded.ppm" -crop 640x480+0+0 +repage "$keep_screenshot"
fi

# --- resizing ------------------------------------------------------------------------
step "resize"
xdotool windowsize --sync "$viewer_window" 800 600
shot resized
read -r _ top3 _ bottom3 <<<"$("$probe" mapbox "$work/resized.ppm" 0 0 620 600)"
echo "map square at 800 x 600: top $top3 bottom $bottom3"
# The projection follows the new size: the square's half-height is
# 300 / (4 tan 15 deg) = 279.9 pixels around the middle.
in_range "$top3" 19 21 && in_range "$bottom3" 578 580 || fail "map square after the resize"
markers_at resized 4 800 600
[ "$(count resized 760 0 800 200 white)" -gt 0 ] || fail "no panel text at the new right edge"
xdotool windowsize --sync "$viewer_window" 640 480
shot resized_back
[ "$(differing loaded resized_back)" -eq 0 ] || fail "not the same picture back at 640 x 480"

# --- zoom ----------------------------------------------------------------------------
step "zoom"
press KP_Add
press KP_Add
press KP_Add
shot zoom_in
markers_at zoom_in 3.7
wheel 4 # away from the user: out
wheel 4
shot wheel_out
markers_at wheel_out 3.9
wheel 5 # toward the user: in
shot wheel_in
markers_at wheel_in 3.8
press KP_Subtract
press KP_Subtract
press minus # the main keyboard's minus does nothing
shot zoom_back
[ "$(differing loaded zoom_back)" -eq 0 ] || fail "not back at the start zoom"
press KP_Subtract # at the far bound: nothing
shot zoom_bound
[ "$(differing loaded zoom_bound)" -eq 0 ] || fail "keypad minus passed the far bound"

# --- panning -------------------------------------------------------------------------
step "pan"
read -r left0 top0 _ _ <<<"$(map_box loaded)"
hold Left 0.5
shot pan_left
read -r left1 _ _ _ <<<"$(map_box pan_left)"
echo "left edge: $left0 -> $left1 (left arrow)"
[ "$left1" -gt $((left0 + 3)) ] || fail "the left arrow did not move the map right"
hold Up 0.5
shot pan_up
read -r _ top1 _ _ <<<"$(map_box pan_up)"
echo "top edge: $top0 -> $top1 (up arrow)"
[ "$top1" -gt $((top0 + 3)) ] || fail "the up arrow did not move the map down"

# A drag of 20 pixels to the right moves the map 20/128 world units left:
# 0.15625 * 223.9 = 35 pixels.
xdotool mousemove 200 300
sleep 0.2
xdotool mousedown 1
sleep 0.2
for x in 205 210 215 220; do
  xdotool mousemove "$x" 300
  sleep 0.1
done
sleep 0.2
xdotool mouseup 1
shot dragged
read -r left2 _ _ _ <<<"$(map_box dragged)"
echo "left edge: $left1 -> $left2 (drag of 20 pixels)"
in_range $((left1 - left2)) 33 37 || fail "the drag moved the map by $((left1 - left2)) pixels, expected 35"

# --- a missing file ----------------------------------------------------------------------
step "missing file"
choose_file "$work/missing.b"
box=$(wait_window "KZR Package Viewer\"" 10) || fail "no box titled \"KZR Package Viewer\""
shot error_box
focus "$box"
xdotool key Return
wait_gone "KZR Package Viewer\"" 10 || fail "the box did not close"
focus "$viewer_window"
shot after_error
[ "$(differing dragged after_error)" -eq 0 ] || fail "the markers changed after the failed load"

# --- the end -------------------------------------------------------------------------
step "escape"
hold Escape 0.2
expect_exit_status_1 "escape"

step "close"
start_viewer
sleep 0.5
"$close_window" "$viewer_window"
expect_exit_status_1 "closing the window"

echo "PASSED"
