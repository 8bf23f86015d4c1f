# shellcheck shell=bash
# What the two end-to-end tests share: the Linux viewer's (viewer_e2e.sh) and
# the Windows viewer's under wine (wine_e2e.sh). Each test sources this file
# and keeps what differs itself: how the viewer starts and ends, the chooser,
# and how a screenshot is taken.
#
# A test that sources this file provides
#   work          its folder for screenshots, logs and the save
#   viewer_window the viewer's window (set by its start_viewer)
#   client_x, client_y  where the viewer's client area stands on the screen
#   exit_timeout  seconds the viewer is given to end
# and the functions
#   run_probe ARGS...   runs the screenshot probe
#   grab NAME           saves the client area as $work/NAME.ppm, as it is now
#   choose_file PATH    opens the chooser with 'O' and loads PATH
#   close_chooser ID    closes the chooser with escape
#   start_viewer [SAVE] starts the viewer (with a save as its argument)
#   write_save_file SAVE LIST [COUNT]  writes a save and its marker list
# and, for check_own_map,
#   write_guide OUT.bmp MARKERS   writes the guide map and prints where to click
#   choose_picture PATH           opens the picture chooser with 'M' and takes PATH
# Nothing waits a fixed time for the programs: every step waits for what it
# needs to see (a window, a picture at rest, a picture that has changed).
# shellcheck disable=SC2154 # the variables above are set by the test

TITLE_PREFIX="KZR Tern Haven  Package Viewer V0.2a "
viewer_pid=
xvfb_pid=

step() { printf '%s  %s\n' "$(date +%T)" "$*"; }
# On stderr, so that a step whose report is silenced still says why it failed.
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# Skips the test (status 77) when one of the named programs is missing.
require_tools() {
  local tool
  for tool in "$@"; do
    if ! command -v "$tool" >/dev/null; then
      echo "SKIPPED: $tool is not installed (scripts/install-deps test installs it)"
      exit 77
    fi
  done
}

# start_xvfb [SCREEN [OPTION...]]: a screen of SCREEN (as Xvfb's -screen
# takes it, 1280x1024x24 unless given), further options passed on. Xvfb picks
# a free display itself and writes its number to descriptor 3.
start_xvfb() {
  # The number of an earlier server must not be taken for the new one's.
  rm -f "$work/display"
  # -noreset: an X server resets when its last client goes, and refuses
  # connections meanwhile; between two starts of the viewer there may be none.
  Xvfb -displayfd 3 -screen 0 "${1:-1280x1024x24}" "${@:2}" -nolisten tcp -noreset \
    3>"$work/display" 2>"$work/xvfb.log" &
  xvfb_pid=$!
  local display='' start=$SECONDS
  # A whole line: the number followed by its newline.
  until [ "$(wc -l 2>/dev/null <"$work/display")" = 1 ] && display=$(head -n1 "$work/display") &&
    [[ $display =~ ^[0-9]+$ ]]; do
    [ $((SECONDS - start)) -le 20 ] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
    sleep 0.1
  done
  export DISPLAY=:$display
  step "Xvfb on $DISPLAY"
}
# Waits for the server to be gone: a server still shutting down removes its
# socket files, which would be a new server's on the same display number.
stop_xvfb() {
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
}

# --- windows and input ---------------------------------------------------------

# Id of the top-level window whose title starts with $1 (xdotool cannot read
# titles stored as UTF-8 text by SDL's message box, xwininfo can).
window_id() {
  xwininfo -root -tree | awk -v prefix="\"$1" 'index($0, prefix) { print $1; exit }'
}
# Waits up to $2 seconds for such a window to be on screen (windows can exist
# unmapped for a while, and wine names a window a moment before mapping it;
# an unmapped window cannot take the focus).
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
# There is no window manager: the test gives the keyboard focus itself, once
# the window is mapped. The focus change reaches the program before any key
# sent after it.
focus() {
  for _ in $(seq 50); do
    if xwininfo -id "$1" 2>/dev/null | grep -q 'Map State: IsViewable'; then
      xdotool windowfocus --sync "$1" && return 0
    fi
    sleep 0.1
  done
  fail "window $1 never became viewable"
}
# A key pressed and released at once: the viewer acts on it all the same.
press() { xdotool key "$1"; }
# hold KEY SECONDS: the key held down that long (the hold is the input).
hold() {
  xdotool keydown "$1"
  sleep "$2"
  xdotool keyup "$1"
}
wheel() { xdotool click "$1"; }

# --- screenshots -----------------------------------------------------------------

# has_content PPM: the picture shows more than a few colours. A window shows
# a blank area (all white under wine, all black) until its first frame is
# drawn; two equal grabs of that are no picture at rest.
has_content() { [ "$(convert "$1" -format %k info:)" -gt 8 ]; }
# at_rest NAME SECONDS GRAB...: runs GRAB... (which writes $work/NAME.ppm)
# until two pictures in a row are the same and have content, at most SECONDS
# long; fails (status 1) otherwise.
at_rest() {
  local name=$1 limit=$2 start=$SECONDS
  shift 2
  "$@" || true
  while :; do
    mv -f "$work/$name.ppm" "$work/$name.before.ppm" 2>/dev/null || true
    "$@" || true
    if cmp -s "$work/$name.ppm" "$work/$name.before.ppm" && has_content "$work/$name.ppm"; then
      rm -f "$work/$name.before.ppm"
      return 0
    fi
    [ $((SECONDS - start)) -le "$limit" ] || return 1
  done
}
# shot NAME: the picture once it is at rest: screenshots until two in a row
# are the same, so that no frame drawn while input was still arriving counts.
shot() { at_rest "$1" 30 grab "$1" || fail "$1: the picture never came to rest (or stayed blank)"; }
# shot_changed NAME BEFORE: the picture at rest once it differs from the shot
# BEFORE, that is once the viewer has acted on the input just sent.
shot_changed() {
  for _ in $(seq 50); do
    shot "$1"
    cmp -s "$work/$1.ppm" "$work/$2.ppm" || return 0
  done
  fail "$1: the picture stayed as in $2"
}
# shot_until NAME SECONDS CHECK...: pictures at rest until CHECK... holds on
# one (it reads $work/NAME.ppm), at most SECONDS long.
shot_until() {
  local name=$1 limit=$2 start
  shift 2
  start=$(date +%s)
  until shot "$name" && "$@" >/dev/null 2>&1; do
    [ $(($(date +%s) - start)) -le "$limit" ] || fail "$name: no such picture within $limit s ($*)"
  done
}
# window_at_rest ID NAME: a screenshot of the window ID (a chooser, a box)
# once it has drawn its content and stays as it is.
window_at_rest() {
  at_rest "$2" 20 import -window "$1" -depth 8 "ppm:$work/$2.ppm" 2>/dev/null ||
    fail "window $1 ($2) never showed its content at rest"
}
# window_changed ID NAME BEFORE: the window at rest once it differs from BEFORE.
window_changed() {
  for _ in $(seq 50); do
    window_at_rest "$1" "$2"
    cmp -s "$work/$2.ppm" "$work/$3.ppm" || return 0
  done
  fail "window $1 ($2) stayed as in $3"
}

# "left top right bottom" of the map square, left of the counter panel.
map_box() { run_probe mapbox "$work/$1.ppm" 0 0 460 480; }
differing() { run_probe diff "$work/$1.ppm" "$work/$2.ppm" 0 0 640 480; }
count() { run_probe count "$work/$1.ppm" "$2" "$3" "$4" "$5" "$6"; }
# markers_at SHOT ZOOM [WIDTH HEIGHT]: every marker where the projection puts it.
markers_at() {
  run_probe markers "$work/$1.ppm" "$work/markers.txt" "${3:-640}" "${4:-480}" "$2" 0 0 || fail "markers of $1 at zoom $2"
}
in_range() { [ "$1" -ge "$2" ] && [ "$1" -le "$3" ]; }

# --- the viewer ------------------------------------------------------------------

# What the viewer wrote (the last lines), for a failure's message.
viewer_output() {
  local file
  for file in "$work/viewer.out" "$work/viewer.err"; do
    [ -s "$file" ] && printf '\n--- %s:\n%s' "${file##*/}" "$(tail -n 20 "$file")"
  done
  return 0
}
# Waits up to $exit_timeout seconds for the viewer to end and checks its status.
expect_exit_status_1() {
  for _ in $(seq $((exit_timeout * 10))); do
    kill -0 "$viewer_pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$viewer_pid" 2>/dev/null; then
    grab not_ended 2>/dev/null || true
    fail "the viewer did not end ($1; the screen is in not_ended.ppm)$(viewer_output)"
  fi
  local status=0
  wait "$viewer_pid" || status=$?
  viewer_pid=
  [ "$status" -eq 1 ] || fail "exit status $status after $1, expected 1$(viewer_output)"
  step "ended with status 1 after $1"
}

# --- checks both viewers pass ------------------------------------------------------

# The viewer's title and client size. Leaves xwininfo's description of the
# window in window_info and the client area's place in client_x, client_y.
check_window() {
  window_info=$(xwininfo -id "$viewer_window")
  local title
  title=$(sed -n 's/^xwininfo: Window id: [^ ]* "\(.*\)"$/\1/p' <<<"$window_info")
  echo "title: $title"
  [[ $title == "$TITLE_PREFIX"?* ]] || fail "title '$title'"
  grep -q 'Width: 640$' <<<"$window_info" || fail "client width: $window_info"
  grep -q 'Height: 480$' <<<"$window_info" || fail "client height: $window_info"
  client_x=$(sed -n 's/^ *Absolute upper-left X: *//p' <<<"$window_info")
  client_y=$(sed -n 's/^ *Absolute upper-left Y: *//p' <<<"$window_info")
}

# The map square where zoom 4 puts it, drawn in full, in a frame after the
# first: the first frame draws the panel opaque (dark grey 51 over the
# background at 620,300), every later one translucent (about 20).
start_map_shown() {
  local left top right bottom
  read -r left top right bottom <<<"$(map_box "$1")"
  in_range "$left" 95 97 && in_range "$top" 15 17 && in_range "$bottom" 462 464 &&
    [ "$(convert "$work/$1.ppm" -format '%[fx:int(255*p{620,300}.r+0.5)]' info:)" -lt 40 ]
}
check_start_map() {
  shot_until start 20 start_map_shown start
  local left top right bottom
  read -r left top right bottom <<<"$(map_box start)"
  echo "map square: $left $top $right $bottom"
  # At zoom 4 the square's half-height is 240 / (4 tan 15 deg) = 223.9 pixels.
  in_range "$left" 95 97 && in_range "$top" 15 17 && in_range "$bottom" 462 464 || fail "map square at start"
}

# 'H' swaps the counter panel for the help page and back.
check_help_page() {
  step "help"
  [ "$(count start 600 0 640 200 white)" -gt 0 ] || fail "no panel text at start"
  press h
  shot_until help 10 help_shown help
  local help_text panel_text
  help_text=$(count help 64 100 576 300 white)
  panel_text=$(count help 600 0 640 200 white)
  echo "white pixels: help page $help_text, panel edge with help $panel_text"
  [ "$help_text" -gt 500 ] || fail "'H' showed no help text"
  [ "$panel_text" -eq 0 ] || fail "the panel is still shown with the help page"
  press h
  shot_until panel 10 panel_shown panel
  [ "$(differing start panel)" -eq 0 ] || fail "'H' again did not bring the panel back"
}

# After choose_file: the save's markers where the projection puts them.
check_loaded() {
  focus "$viewer_window"
  shot_until loaded 10 run_probe markers "$work/loaded.ppm" "$work/markers.txt" 640 480 4 0 0
  markers_at loaded 4
}

# Zooms in and out with the keypad and the wheel and back to the start.
check_zoom() {
  step "zoom"
  # Each step waits for the last one's picture: two quick presses of the same
  # key between two frames would count once.
  press KP_Add
  shot_changed zoom_in1 loaded
  press KP_Add
  shot_changed zoom_in2 zoom_in1
  press KP_Add
  shot_changed zoom_in zoom_in2
  markers_at zoom_in 3.7
  wheel 4 # away from the user: out
  shot_changed wheel_out1 zoom_in
  wheel 4
  shot_changed wheel_out wheel_out1
  markers_at wheel_out 3.9
  wheel 5 # toward the user: in
  shot_changed wheel_in wheel_out
  markers_at wheel_in 3.8
  press KP_Subtract
  shot_changed zoom_back1 wheel_in
  press KP_Subtract
  shot_changed zoom_back zoom_back1
  [ "$(differing loaded zoom_back)" -eq 0 ] || fail "not back at the start zoom"
}

# check_pan UP_KEY UP_NAME: the left arrow, UP_KEY (called UP_NAME in the
# messages) and a drag with the mouse move the map. Leaves the last
# screenshot as "dragged".
check_pan() {
  step "pan"
  local left0 top0 left1 top1 left2
  read -r left0 top0 _ _ <<<"$(map_box loaded)"
  hold Left 0.5
  shot_changed pan_left loaded
  read -r left1 _ _ _ <<<"$(map_box pan_left)"
  echo "left edge: $left0 -> $left1 (left arrow)"
  [ "$left1" -gt $((left0 + 3)) ] || fail "the left arrow did not move the map right"
  hold "$1" 0.5
  shot_changed pan_up pan_left
  read -r _ top1 _ _ <<<"$(map_box pan_up)"
  echo "top edge: $top0 -> $top1 ($2)"
  [ "$top1" -gt $((top0 + 3)) ] || fail "$2 did not move the map down"

  # A drag of 20 pixels to the right moves the map 20/128 world units left:
  # 0.15625 * 223.9 = 35 pixels.
  # One xdotool run, so that the server takes the steps in order (the requests
  # of separate runs can overtake each other). The button goes up once the
  # drag is on screen: a drag is applied while the button is down.
  local y=$((client_y + 300))
  xdotool mousemove $((client_x + 200)) $y mousedown 1 mousemove $((client_x + 205)) $y \
    mousemove $((client_x + 210)) $y mousemove $((client_x + 215)) $y mousemove $((client_x + 220)) $y
  shot_changed dragged pan_up
  xdotool mouseup 1
  read -r left2 _ _ _ <<<"$(map_box dragged)"
  echo "left edge: $left1 -> $left2 (drag of 20 pixels)"
  in_range $((left1 - left2)) 33 37 || fail "the drag moved the map by $((left1 - left2)) pixels, expected 35"
}

# check_missing_file [WHILE_OPEN]: a file that is not there gives a message
# box, and the markers stay as they were. WHILE_OPEN, a command, runs while
# the box is open; whatever it does must leave no trace.
check_missing_file() {
  step "missing file"
  choose_file "$work/missing.b"
  local box
  box=$(wait_window "KZR Package Viewer\"" 10) || fail "no box titled \"KZR Package Viewer\""
  shot error_box
  [ -z "${1:-}" ] || "$1"
  focus "$box"
  xdotool key Return
  wait_gone "KZR Package Viewer\"" 10 || fail "the box did not close"
  focus "$viewer_window"
  shot after_error
  [ "$(differing dragged after_error)" -eq 0 ] || fail "the markers changed after the failed load"
}

check_escape() {
  step "escape"
  hold Escape 0.2
  expect_exit_status_1 "escape"
}

# A click in the client area: press and release at one place.
click() { xdotool mousemove --sync $((client_x + $1)) $((client_y + $2)) click 1; }

# check_own_map SAVE KEPT: a guide map with a ring at each marker's place
# (an off-centre part of the world at an odd scale) chosen with 'M', pinned
# by two markers with the mouse and kept with Enter: every marker on it then
# lies within a pixel of its ring's centre, and still does after a restart;
# the map is kept in the folder KEPT. Before that, Escape leaves the map as it
# was; after, Delete (and Yes to its question) brings the chart back and
# forgets the kept map. The viewer starts in a folder without pictures, so
# that a kept map is the one found. Leaves no viewer running.
check_own_map() {
  local save=$1 kept=$2 pin marker_x marker_y ring_x ring_y question
  step "own map: Escape leaves the map as it was"
  write_guide "$work/guide.bmp" "$work/markers.txt" >"$work/guide.txt"
  mkdir -p "$work/bare"
  start_folder=$work/bare start_viewer "$save"
  check_window
  shot own_loaded
  choose_picture "$work/guide.bmp"
  shot_changed aligning own_loaded
  # A drag moves the picture, not the view.
  xdotool mousemove --sync $((client_x + 200)) $((client_y + 200)) mousedown 1 \
    mousemove --sync $((client_x + 230)) $((client_y + 220)) mouseup 1
  shot_changed dragged_picture aligning
  press Escape
  shot_until escaped 10 same_picture escaped own_loaded
  kill -0 "$viewer_pid" 2>/dev/null || fail "Escape while aligning ended the viewer"

  step "own map: two pins, Enter"
  choose_picture "$work/guide.bmp"
  shot aligning
  while read -r _ marker_x marker_y ring_x ring_y; do
    click "$marker_x" "$marker_y"
    click "$ring_x" "$ring_y"
  done < <(grep '^pin ' "$work/guide.txt")
  shot_changed pinned aligning
  press Return
  shot_until kept 10 run_probe rings "$work/kept.ppm" "$work/guide.txt"
  run_probe rings "$work/kept.ppm" "$work/guide.txt"

  step "own map: kept across a restart"
  [ -s "$kept/THmap.bmp" ] || fail "no map kept in $kept"
  check_escape
  start_folder=$work/bare start_viewer "$save"
  check_window
  shot_until restarted 20 run_probe rings "$work/restarted.ppm" "$work/guide.txt"
  run_probe rings "$work/restarted.ppm" "$work/guide.txt"

  step "own map: Delete brings the chart back"
  press m
  shot_changed realigning restarted
  press Delete
  question=$(wait_window "Map of Your Own\"" 20) || fail "Delete asked no question"
  focus "$question"
  window_at_rest "$question" question
  xdotool key alt+y
  wait_gone "Map of Your Own\"" 10 || fail "the question did not close on Alt+Y"
  focus "$viewer_window"
  shot_until chart 10 same_picture chart own_loaded
  [ ! -e "$kept/THmap.bmp" ] || fail "the kept map is still in $kept after Delete"
  check_escape
}

# --- conditions over time -------------------------------------------------------

# wait_picture NAME SECONDS CHECK...: takes screenshots named NAME until the
# command CHECK... succeeds on one that has content (CHECK... reads
# $work/NAME.ppm), at most SECONDS long. Prints how long it took in `waited`;
# fails the test when it never held.
wait_picture() {
  local name=$1 limit=$2 start now
  shift 2
  start=$(date +%s.%N)
  while :; do
    grab "$name"
    # The time taken is the check's; the look at the content is no part of it.
    if "$@" >/dev/null 2>&1; then
      now=$(date +%s.%N)
      has_content "$work/$name.ppm" && break
    else
      now=$(date +%s.%N)
    fi
    if awk -v s="$start" -v n="$now" -v l="$limit" 'BEGIN { exit !(n - s > l) }'; then
      fail "$name: no such picture within $limit s ($*)"
    fi
  done
  waited=$(awk -v s="$start" -v n="$now" 'BEGIN { printf "%.2f", n - s }')
}
same_picture() { [ "$(differing "$1" "$2")" -eq 0 ]; }
# Whether the help page is up, or the counter panel.
help_shown() { [ "$(count "$1" 64 100 576 300 white)" -gt 500 ]; }
panel_shown() { [ "$(count "$1" 600 0 640 200 white)" -gt 0 ] && ! help_shown "$1"; }

# check_f12_picture FOLDER STEM SHOT: F12 writes STEM-DATE-TIME.png into FOLDER,
# the window as screenshot SHOT shows it; the line that says so goes again.
check_f12_picture() {
  local folder=$1 stem=$2 before=$3 picture= _
  press F12
  for _ in $(seq 100); do
    picture=$(find "$folder" -maxdepth 1 -name "$stem-*.png" | head -1)
    [ -n "$picture" ] && break
    sleep 0.1
  done
  [ -n "$picture" ] || fail "F12 wrote no picture into $folder"
  [[ $(basename "$picture") =~ ^$stem-[0-9]{4}-[0-9]{2}-[0-9]{2}-[0-9]{6}\.png$ ]] || fail "F12's picture is named $picture"
  convert "$picture" -depth 8 "ppm:$work/f12_picture.ppm"
  convert "$work/$before.ppm" -crop 640x480+0+0 +repage -depth 8 "ppm:$work/f12_window.ppm"
  same_picture f12_window f12_picture || fail "F12's picture is not the window's frame"
  shot_until f12_line_gone 10 same_picture "$before" f12_line_gone
  rm -f "$picture"
}

# --- the companion features ------------------------------------------------------

# Ten instant taps of 'H' (no hold at all) each toggle the help page, and ten
# of 'O' each open the chooser, which the test closes again with escape.
check_taps() {
  step "instant taps"
  local i chooser
  for i in $(seq 10); do
    xdotool key h
    wait_picture tap_help 10 help_shown tap_help
    xdotool key h
    wait_picture tap_panel 10 panel_shown tap_panel
  done
  echo "10 of 10 taps of 'H' showed the help page and 10 of 10 took it away"
  for i in $(seq 10); do
    xdotool key o
    chooser=$(wait_window "Open a File\"" 20) || fail "tap $i of 'O' opened no chooser"
    close_chooser "$chooser"
    focus "$viewer_window"
  done
  echo "10 of 10 taps of 'O' opened the chooser"
}

# check_reload SAVE: the save the viewer has loaded (all markers of
# $work/markers.txt) is rewritten on disk as the game writes it: with fewer
# markers, then cut short in the middle of a write, then complete again. Each
# clean version shows on screen with no box; the cut one changes nothing.
check_reload() {
  step "live reload"
  local save=$1
  cp "$save" "$work/full.b"
  cp "$work/markers.txt" "$work/markers_full.txt"
  write_save_file "$work/few.b" "$work/markers_few.txt" 12

  cat "$work/few.b" >"$save"
  cp "$work/markers_few.txt" "$work/markers.txt"
  wait_picture reload_few 10 fewer_markers_shown reload_few
  echo "fewer markers on screen $waited s after the write"

  # Half a save: read twice by the viewer (a failed read is made again), no
  # box, and the picture stays as it was. A key acted on after the second
  # read shows that the viewer has come past it.
  head -c $(($(stat -c %s "$work/full.b") / 2)) "$work/full.b" >"$save"
  wait_read "$save" 10 || fail "the viewer did not read the save cut short"
  touch -a -d @0 "$save"
  wait_read "$save" 10 || fail "the viewer did not read the save cut short a second time"
  press h
  wait_picture reload_cut_help 10 help_shown reload_cut_help
  press h
  wait_picture reload_cut 10 panel_shown reload_cut
  [ -z "$(window_id "KZR Package Viewer\"")" ] || fail "a box came up for a save cut short"
  [ "$(differing reload_few reload_cut)" -eq 0 ] || fail "the picture changed for a save cut short"

  cat "$work/full.b" >"$save"
  cp "$work/markers_full.txt" "$work/markers.txt"
  wait_picture reload_full 10 all_markers_shown reload_full
  echo "the completed save on screen $waited s after the write"
  [ -z "$(window_id "KZR Package Viewer\"")" ] || fail "a box came up during the reloads"
}
# The markers a reload drops stay drawn, hollow, as just collected: what
# tells the versions apart on screen is the panel's counts.
same_panel() { [ "$(run_probe diff "$work/$1.ppm" "$work/$2.ppm" 472 0 640 480)" -eq 0 ]; }
# wait_read FILE SECONDS: waits until FILE has been read since it was last
# written or since its access time was set back: a read moves the access time
# up to the modification time (at least) on file systems that keep access
# times (relatime, the default). Where reads do not move it, waits two
# looks of the viewer's (once a second) instead, since nothing shows the read.
wait_read() {
  if ! reads_seen; then
    sleep 2.5
    return 0
  fi
  local start=$SECONDS
  until stat -c '%.9X %.9Y' "$1" | awk '{ exit !($1 >= $2) }'; do
    [ $((SECONDS - start)) -le "$2" ] || return 1
    sleep 0.05
  done
}
reads_seen() {
  local probe=$work/read-probe
  echo x >"$probe"
  touch -a -d @0 "$probe"
  cat "$probe" >/dev/null
  [ "$(stat -c %X "$probe")" -gt 0 ]
}
fewer_markers_shown() {
  run_probe markers "$work/$1.ppm" "$work/markers.txt" 640 480 4 0 0 && ! same_panel loaded "$1"
}
all_markers_shown() {
  run_probe markers "$work/$1.ppm" "$work/markers.txt" 640 480 4 0 0 && same_panel loaded "$1"
}

# check_first_key STARTS: the viewer started afresh STARTS times; each time an
# instant 'O' as the very first key it gets opens the chooser.
check_first_key() {
  step "first key after start, $1 starts"
  local i chooser
  for i in $(seq "$1"); do
    start_viewer
    xdotool key o
    chooser=$(wait_window "Open a File\"" 20) || fail "start $i: 'O' as the first key opened no chooser"
    close_chooser "$chooser"
    focus "$viewer_window"
    hold Escape 0.2
    expect_exit_status_1 "escape" >/dev/null
  done
  echo "$1 of $1 fresh starts took an instant 'O' as their first key"
}

# start_with_save SAVE: the viewer started with the save as its argument shows
# its markers, with no dialog and no box.
check_start_with_save() {
  step "a save given as the argument"
  start_viewer "$1"
  check_window
  wait_picture loaded 20 run_probe markers "$work/loaded.ppm" "$work/markers.txt" 640 480 4 0 0
  echo "markers on screen $waited s after the window"
  [ -z "$(window_id "KZR Package Viewer\"")" ] || fail "a box came up for the save given as argument"
}
