#!/usr/bin/env bash
# The installed programs: `cmake --install` of the build into a fresh prefix,
# then the installed viewer started from a folder that has nothing of ours, on
# its own Xvfb display. It finds its pictures under the prefix: no box, the
# map drawn, the panel's text drawn; the installed package-tool does the same.
#   install_e2e.sh BUILD_DIR SCREEN_PROBE WORK_DIR
# Exit status: 0 passed, 1 failed, 77 skipped (a tool is missing).
set -euo pipefail
# shellcheck source-path=SCRIPTDIR source=e2e_common.sh
source "$(dirname "${BASH_SOURCE[0]}")/e2e_common.sh"

build=$(realpath "$1")
probe=$(realpath "$2")
work=$(realpath -m "$3")

require_tools Xvfb xdotool import convert xwininfo desktop-file-validate

rm -rf "$work"
prefix=$work/prefix
mkdir -p "$work/elsewhere" "$work/home" "$work/runtime"
chmod 700 "$work/runtime"
export HOME=$work/home XDG_RUNTIME_DIR=$work/runtime SDL_VIDEODRIVER=x11
unset WAYLAND_DISPLAY

exit_timeout=10
cleanup() {
  if [ -n "$viewer_pid" ] && kill -0 "$viewer_pid" 2>/dev/null; then kill -KILL "$viewer_pid" 2>/dev/null || true; fi
  stop_xvfb
}
trap cleanup EXIT

run_probe() { "$probe" "$@"; }
grab() { import -window root -depth 8 "ppm:$work/$1.ppm"; }

step "install into $prefix"
cmake --install "$build" --prefix "$prefix" >"$work/install.log" || fail "cmake --install: $(cat "$work/install.log")"
for file in bin/package-viewer bin/package-tool share/package-viewer/font.bmp share/package-viewer/THmap.bmp \
  share/applications/package-viewer.desktop share/icons/hicolor/scalable/apps/package-viewer.svg \
  share/doc/package-viewer/LICENSE-DejaVu.txt; do
  [ -f "$prefix/$file" ] || fail "not installed: $file"
done
entry=$prefix/share/applications/package-viewer.desktop
report=$(desktop-file-validate "$entry" 2>&1) || fail "desktop-file-validate: $report"
[ -z "$report" ] || fail "desktop-file-validate has remarks: $report"
grep -qx 'Exec=package-viewer %f' "$entry" || fail "the menu entry's Exec: $(grep Exec "$entry")"
! grep -q '^Path=' "$entry" || fail "the menu entry names a folder: $(grep Path "$entry")"
# No folder of the build's configuration in what the program says of itself.
help=$("$prefix/bin/package-viewer" --help)
! grep -qE '(^|[[:space:]])/' <<<"$help" || fail "--help names a folder: $help"

cd "$work/elsewhere"
step "package-tool render from $PWD"
errors=$("$prefix/bin/package-tool" render "$work/tool.png" 2>&1) || fail "package-tool render: $errors"

start_xvfb
step "the installed viewer from $PWD"
"$prefix/bin/package-viewer" >"$work/viewer.out" 2>"$work/viewer.err" &
viewer_pid=$!
if ! viewer_window=$(wait_window "$TITLE_PREFIX" 20); then
  [ -n "$(window_id 'Error"')" ] && fail "a box came up: $(xwininfo -root -tree | grep '"Error"')"
  fail "no viewer window: $(cat "$work/viewer.err")"
fi
focus "$viewer_window"
[ -z "$(window_id 'Error"')" ] || fail "a box came up beside the window"
check_window
check_start_map
# The bundled chart is dark; a map without its picture is drawn white.
white=$(count start 100 20 440 460 white)
echo "white pixels on the map: $white"
[ "$white" -lt 2000 ] || fail "the map is drawn without its picture"
[ "$(count start 600 0 640 200 white)" -gt 0 ] || fail "no panel text"
hold Escape 0.2
expect_exit_status_1 "escape"
echo "PASSED"
