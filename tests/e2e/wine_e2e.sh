#!/usr/bin/env bash
# End-to-end test of the 32-bit Windows viewer: the real package-viewer.exe
# under wine on its own Xvfb display, driven by xdotool, checked on
# screenshots. The save writer and the screenshot probe are the Linux test's,
# built for Windows and run under wine too.
#   wine_e2e.sh VIEWER.exe WRITE_SAVE.exe SCREEN_PROBE.exe WINE_RUN ASSETS_DIR WORK_DIR
# The viewer runs in WORK_DIR/run, which holds font.bmp and THmap.bmp; wine
# gets a prefix of its own in WORK_DIR/../wineprefix-e2e (made on first use).
# Exit status: 0 passed, 1 failed, 77 skipped (a tool is missing).
set -euo pipefail

viewer=$1
write_save=$2
probe=$3
wine_run=$4
assets=$5
work=$6

for tool in wine Xvfb xdotool import convert xwininfo; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIPPED: $tool is not installed (scripts/install-deps test installs it)"
    exit 77
  fi
done

prefix=$(dirname "$work")/wineprefix-e2e
rm -rf "$work"
mkdir -p "$work/run"
cp "$viewer" "$assets/font.bmp" "$assets/THmap.bmp" "$work/run/"

TITLE_PREFIX="KZR Tern Haven  Package Viewer V0.2a "
viewer_pid=
xvfb_pid=

step() { printf '%s  %s\n' "$(date +%T)" "$*"; }
fail() {
  echo "FAIL: $*"
  exit 1
}

cleanup() {
  if [ -n "$viewer_pid" ] && kill -0 "$viewer_pid" 2>/dev/null; then kill "$viewer_pid" 2>/dev/null || true; fi
  # Ends every wine process of the test's prefix, the viewer's included.
  WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
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

# A Windows program under wine; its console output loses the carriage returns.
win() { "$wine_run" "$prefix" "$@" | tr -d '\r'; }

window_id() {
  xwininfo -root -tree | awk -v prefix="\"$1" 'index($0, prefix) { print $1; exit }'
}
wait_window() {
  local id
  for _ in $(seq $(($2 * 10))); do
    id=$(window_id "$1")
    if [ -n "$id" ]; then
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
# There is no window manager: the test gives the keyboard focus itself, once
# the window is mapped (wine names it a moment before).
focus() {
  for _ in $(seq 50); do
    if xwininfo -id "$1" 2>/dev/null | grep -q 'Map State: IsViewable'; then
      xdotool windowfocus --sync "$1" && sleep 0.3 && return 0
    fi
    sleep 0.1
  done
  fail "window $1 never became viewable"
}
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
# The client area alone: wine's X window for it stands at (client_x, client_y).
shot() {
  sleep 0.5
  import -window root -crop "640x480+$client_x+$client_y" +repage -depth 8 "ppm:$work/$1.ppm"
}
map_box() { win "$probe" mapbox "$work/$1.ppm" 0 0 460 480; }
differing() { win "$probe" diff "$work/$1.ppm" "$work/$2.ppm" 0 0 640 480; }
count() { win "$probe" count "$work/$1.ppm" "$2" "$3" "$4" "$5" "$6"; }
markers_at() { win "$probe" markers "$work/$1.ppm" "$work/markers.txt" 640 480 "$2" 0 0 || fail "markers of $1 at zoom $2"; }
in_range() { [ "$1" -ge "$2" ] && [ "$1" -le "$3" ]; }
# The Windows name of a file of the test (wine's drive Z: is the root).
windows_path() { local path=$1; echo "Z:${path//\//\\}"; }

start_viewer() {
  (cd "$work/run" && exec "$wine_run" "$prefix" package-viewer.exe) >"$work/viewer.out" 2>&1 &
  viewer_pid=$!
  viewer_window=$(wait_window "$TITLE_PREFIX" 60) || fail "no viewer window"
  focus "$viewer_window"
}
# Waits up to 15 seconds for the viewer to end and checks its exit status.
expect_exit_status_1() {
  for _ in $(seq 150); do
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
# Opens the dialog with 'O', types a path into its name field and confirms.
choose_file() {
  press o
  local dialog
  dialog=$(wait_window "Open a File\"" 20) || fail "'O' opened no window titled \"Open a File\""
  step "dialog open: $dialog"
  sleep 1
  focus "$dialog"
  xdotool type --delay 25 "$(windows_path "$1")"
  sleep 0.3
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
info=$(xwininfo -id "$viewer_window")
title=$(sed -n 's/^xwininfo: Window id: [^ ]* "\(.*\)"$/\1/p' <<<"$info")
echo "title: $title"
[[ $title == "$TITLE_PREFIX"?* ]] || fail "title '$title'"
grep -q 'Width: 640$' <<<"$info" || fail "client width: $info"
grep -q 'Height: 480$' <<<"$info" || fail "client height: $info"
client_x=$(sed -n 's/^ *Absolute upper-left X: *//p' <<<"$info")
client_y=$(sed -n 's/^ *Absolute upper-left Y: *//p' <<<"$info")
echo "client area at $client_x,$client_y"
# The window itself stands at (0, 0); its frame puts the client area a little
# right of and below that.
in_range "$client_x" 0 12 && in_range "$client_y" 0 40 || fail "window not at the top left"

shot start
read -r left top right bottom <<<"$(map_box start)"
echo "map square: $left $top $right $bottom"
# At zoom 4 the square's half-height is 240 / (4 tan 15 deg) = 223.9 pixels.
in_range "$left" 95 97 && in_range "$top" 15 17 && in_range "$bottom" 462 464 || fail "map square at start"

# --- help page -------------------------------------------------------------------
step "help"
[ "$(count start 600 0 640 200 white)" -gt 0 ] || fail "no panel text at start"
press h
shot help
help_text=$(count help 64 100 576 300 white)
echo "white pixels of the help page: $help_text"
[ "$help_text" -gt 500 ] || fail "'H' showed no help text"
[ "$(count help 600 0 640 200 white)" -eq 0 ] || fail "the panel is still shown with the help page"
press h
shot panel
[ "$(differing start panel)" -eq 0 ] || fail "'H' again did not bring the panel back"

# --- loading a save ------------------------------------------------------------------
step "load"
choose_file "$work/save.b"
focus "$viewer_window"
shot loaded
markers_at loaded 4

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
shot zoom_back
[ "$(differing loaded zoom_back)" -eq 0 ] || fail "not back at the start zoom"

# --- panning -------------------------------------------------------------------------
step "pan"
read -r left0 top0 _ _ <<<"$(map_box loaded)"
hold Left 0.5
shot pan_left
read -r left1 _ _ _ <<<"$(map_box pan_left)"
echo "left edge: $left0 -> $left1 (left arrow)"
[ "$left1" -gt $((left0 + 3)) ] || fail "the left arrow did not move the map right"
hold w 0.5
shot pan_up
read -r _ top1 _ _ <<<"$(map_box pan_up)"
echo "top edge: $top0 -> $top1 ('W')"
[ "$top1" -gt $((top0 + 3)) ] || fail "'W' did not move the map down"

# A drag of 20 pixels to the right moves the map 20/128 world units left:
# 0.15625 * 223.9 = 35 pixels.
xdotool mousemove $((client_x + 200)) $((client_y + 300))
sleep 0.2
xdotool mousedown 1
sleep 0.2
for x in 205 210 215 220; do
  xdotool mousemove $((client_x + x)) $((client_y + 300))
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
xdotool key alt+F4
expect_exit_status_1 "Alt+F4 (closing the window)"

echo "PASSED"
