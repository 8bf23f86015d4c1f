#!/usr/bin/env bash
# End-to-end test of the Linux viewer: the real program on its own Xvfb
# display, driven by xdotool, checked on screenshots.
#   viewer_e2e.sh VIEWER WRITE_SAVE SCREEN_PROBE CLOSE_WINDOW WORK_DIR [SCREENSHOT.png]
# The viewer runs in its own folder, which holds font.bmp and THmap.bmp. With
# SCREENSHOT.png, the 640 x 480 picture of the loaded save is kept there.
# Exit status: 0 passed, 1 failed, 77 skipped (a tool is missing).
set -euo pipefail
# shellcheck source-path=SCRIPTDIR source=e2e_common.sh
source "$(dirname "${BASH_SOURCE[0]}")/e2e_common.sh"

viewer=$(realpath "$1")
write_save=$(realpath "$2")
probe=$(realpath "$3")
close_window=$(realpath "$4")
work=$(realpath -m "$5")
keep_screenshot=${6:+$(realpath -m "$6")}

require_tools Xvfb xdotool zenity import convert xwininfo setxkbmap

rm -rf "$work"
mkdir -p "$work/home" "$work/runtime"
chmod 700 "$work/runtime"
# The chooser (GTK) gets a home of its own, so no recent files or settings of
# the machine's user play a part, and nothing of ours is left behind.
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

# --- helpers -----------------------------------------------------------------

run_probe() { "$probe" "$@"; }
# The whole screen: the viewer's window stands at (0, 0).
grab() { import -window root -depth 8 "ppm:$work/$1.ppm"; }
write_save_file() { "$write_save" "$@" >/dev/null; }

# start_viewer [SAVE]
start_viewer() {
  (cd "$(dirname "$viewer")" && exec "$viewer" "$@") >"$work/viewer.out" 2>"$work/viewer.err" &
  viewer_pid=$!
  viewer_window=$(wait_window "$TITLE_PREFIX" 20) || fail "no viewer window"
  focus "$viewer_window"
}
close_chooser() {
  focus "$1"
  xdotool key Escape
  wait_gone "Open a File\"" 10 || fail "the chooser did not close on escape"
}
# Opens the chooser with 'O', types a path and confirms it. With a second
# argument, first takes a screenshot of that name of the viewer beside it.
choose_file() {
  press o
  local chooser
  chooser=$(wait_window "Open a File\"" 20) || fail "'O' opened no window titled \"Open a File\""
  step "chooser open: $chooser"
  # The chooser takes keys once it has drawn itself.
  window_at_rest "$chooser" chooser
  if [ -n "${2:-}" ]; then
    # While the chooser is open the viewer is modal: a key pressed in its
    # window does nothing, but uncovering the window repaints it.
    focus "$viewer_window"
    press h
    xdotool windowmove "$chooser" 700 0
    shot_until "$2" 10 same_picture panel "$2"
  fi
  focus "$chooser"
  window_at_rest "$chooser" chooser
  # Ctrl+L opens the name field; typing into the file list instead loses the
  # keys that arrive before the field has opened.
  xdotool key ctrl+l
  window_changed "$chooser" chooser_field chooser
  xdotool type --delay 25 "$1"
  window_changed "$chooser" chooser_typed chooser_field
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
check_window
grep -q 'Absolute upper-left X:  0$' <<<"$window_info" || fail "not at the left edge: $window_info"
grep -q 'Absolute upper-left Y:  0$' <<<"$window_info" || fail "not at the top edge: $window_info"
check_start_map

# --- help page -------------------------------------------------------------------
check_help_page

# --- loading a save ------------------------------------------------------------------
step "load"
choose_file "$work/save.b" under_chooser
[ "$(differing panel under_chooser)" -eq 0 ] || fail "the window was not repainted, or 'H' acted, while the chooser was open"
check_loaded
if [ -n "$keep_screenshot" ]; then
  convert "$work/loaded.ppm" -crop 640x480+0+0 +repage "$keep_screenshot"
fi

# --- F12: the picture beside the save ---------------------------------------------------
step "F12"
check_f12_picture "$work" save loaded

# --- resizing ------------------------------------------------------------------------
step "resize"
xdotool windowsize --sync "$viewer_window" 800 600
resized_map_shown() {
  read -r _ top3 _ bottom3 <<<"$("$probe" mapbox "$work/resized.ppm" 0 0 620 600)"
  in_range "$top3" 19 21 && in_range "$bottom3" 578 580
}
shot_until resized 10 resized_map_shown
read -r _ top3 _ bottom3 <<<"$("$probe" mapbox "$work/resized.ppm" 0 0 620 600)"
echo "map square at 800 x 600: top $top3 bottom $bottom3"
# The projection follows the new size: the square's half-height is
# 300 / (4 tan 15 deg) = 279.9 pixels around the middle.
in_range "$top3" 19 21 && in_range "$bottom3" 578 580 || fail "map square after the resize"
markers_at resized 4 800 600
[ "$(count resized 760 0 800 200 white)" -gt 0 ] || fail "no panel text at the new right edge"
xdotool windowsize --sync "$viewer_window" 640 480
shot_until resized_back 10 same_picture loaded resized_back
[ "$(differing loaded resized_back)" -eq 0 ] || fail "not the same picture back at 640 x 480"

# --- zoom ----------------------------------------------------------------------------
check_zoom
press KP_Subtract # at the far bound: nothing
shot zoom_bound
[ "$(differing loaded zoom_bound)" -eq 0 ] || fail "keypad minus passed the far bound"
# The main keyboard's '=' (the '+' key) and '-' zoom as the keypad's do.
press equal
shot_changed zoom_main_plus zoom_bound
markers_at zoom_main_plus 3.9
press minus
shot_changed zoom_main_minus zoom_main_plus
[ "$(differing loaded zoom_main_minus)" -eq 0 ] || fail "the main keyboard's '-' did not zoom back out"

# --- panning -------------------------------------------------------------------------
# Keypad 8 with NumLock off (as Xvfb starts; the key sends KP_Up then) is the
# up arrow.
check_pan KP_Up "keypad 8"

# --- a missing file ----------------------------------------------------------------------
# The box is modal: a key, a wheel turn and a button pressed in the viewer's
# window meanwhile are not acted on once it closes; the drag that the button
# would start moves nothing.
act_in_viewer() {
  focus "$viewer_window"
  press h
  xdotool mousemove $((client_x + 200)) $((client_y + 300))
  wheel 5
  xdotool mousedown 1
}
check_missing_file act_in_viewer
xdotool mousemove $((client_x + 230)) $((client_y + 300))
xdotool mousemove $((client_x + 260)) $((client_y + 300)) mouseup 1
shot after_box
[ "$(differing dragged after_box)" -eq 0 ] || fail "input made while the box was open was acted on"

# --- the end -------------------------------------------------------------------------
check_escape

step "close"
start_viewer
"$close_window" "$viewer_window"
expect_exit_status_1 "closing the window"

# --- the companion: a save by argument, rewritten by the game; quick taps ------------
check_start_with_save "$work/save.b"

# The route: 'R' draws it from the point under the pointer, 'K' steps the
# kinds shown (packages only: no green left), twice more back to both and
# the same route, 'R' again hides it: the picture is as before.
step "route"
shot route_before
route_shown() { [ "$(count "$1" 0 0 460 480 magenta)" -gt 50 ]; }
no_rampages() { route_shown "$1" && [ "$(count "$1" 0 0 460 480 green)" -eq 0 ]; }
[ "$(count route_before 0 0 460 480 green)" -gt 0 ] || fail "no rampages shown before 'K'"
xdotool mousemove $((client_x + 120)) $((client_y + 200))
press r
shot_until route_on 10 route_shown route_on
press k
shot_until route_packages 10 no_rampages route_packages
press k
press k
shot_until route_both 10 same_picture route_on route_both
press r
shot_until route_off 10 same_picture route_before route_off
check_reload "$work/save.b"
check_taps
check_escape
check_first_key 20

# --- a small 16-bit screen -------------------------------------------------------------
# 1024 x 768 with 5/6/5 colour, as over VNC: the viewer starts and draws the
# map, the chooser, which GTK makes wider than that, is fitted to it, and a
# Russian layout leaves the keys where they are.
# Without Composite, whose 32-bit visual would offer 8/8/8 all the same.
step "16-bit screen of 1024 x 768"
stop_xvfb
start_xvfb 1024x768x16 -extension Composite
start_viewer
check_window
check_start_map
press o
chooser=$(wait_window "Open a File\"" 20) || fail "'O' opened no chooser on the small screen"
fitted=
for _ in $(seq 50); do
  chooser_info=$(xwininfo -id "$chooser")
  read -r x y w h <<<"$(awk '/Absolute upper-left X/ {x = $NF} /Absolute upper-left Y/ {y = $NF}
    /^ *Width/ {w = $NF} /^ *Height/ {h = $NF} END {print x, y, w, h}' <<<"$chooser_info")"
  if [ "$x" -ge 0 ] && [ "$y" -ge 0 ] && [ $((x + w)) -le 1024 ] && [ $((y + h)) -le 768 ]; then
    fitted=1
    break
  fi
  sleep 0.1
done
echo "chooser: ${w}x${h} at $x,$y"
[ -n "$fitted" ] || fail "the chooser does not fit the 1024 x 768 screen"
# A cancel shows no box: the viewer takes keys again at once.
focus "$chooser"
xdotool key Escape
wait_gone "Open a File\"" 10 || fail "the chooser did not close on escape"
focus "$viewer_window"
press h
shot_until small_help 10 help_shown small_help
[ "$(count small_help 64 100 576 300 white)" -gt 500 ] || fail "'H' after a cancel showed no help page"
# Under a Russian layout the key of 'H' types a Cyrillic letter and still
# toggles the help page.
setxkbmap ru
press Cyrillic_er
shot_until small_russian 10 same_picture start small_russian
[ "$(differing start small_russian)" -eq 0 ] || fail "the 'H' key of a Russian layout did not hide the help page"
check_escape

echo "PASSED"
