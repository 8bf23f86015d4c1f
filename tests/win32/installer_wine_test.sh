#!/usr/bin/env bash
# The Windows installer as a player meets it, under wine in a fresh prefix
# (its own HOME too, and winemenubuilder off, so that nothing reaches this
# machine's menus or folders), with the viewer on its own Xvfb display:
#   1. an older version installed silently (its web page with a file this
#      version does not have), then the player's own save and map picture put
#      in the program's folder;
#   2. the viewer started from the Start menu entry: it starts in the Pictures
#      folder (F12 saves there);
#   3. this version installed silently over it while it runs: the viewer is
#      asked to close, the files, shortcut, savegame type and uninstall entry
#      are in place, the web folder this version's alone, the unchanged old
#      picture replaced, the player's kept;
#   4. the save opened as a double-click opens it (through its registered
#      program) shows it loaded, with the program's icon on the window;
#   5. a viewer that does not answer: the silent setup gives up with a
#      non-zero status and has changed nothing;
#   6. the silent uninstall leaves the registry as it was and no file or
#      folder of ours, but the player's save and picture.
#   installer_wine_test.sh SOURCE_DIR BUILD_DIR MAKE_SAVE.exe WORK_DIR
# Exit status: 0 passed, 1 failed, 77 skipped (a tool is missing).
set -euo pipefail
# shellcheck source-path=SCRIPTDIR source=../e2e/e2e_common.sh
source "$(dirname "${BASH_SOURCE[0]}")/../e2e/e2e_common.sh"

source_dir=$(realpath "$1")
build=$(realpath "$2")
make_save=$(realpath "$3")
work=$(realpath -m "$4")

require_tools wine wineserver winepath makensis Xvfb xdotool import convert xwininfo xprop iconv
python=/usr/bin/python3

rm -rf "$work"
mkdir -p "$work/home"
export HOME=$work/home WINEPREFIX=$work/prefix WINEDEBUG=-all
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree,mshtml="
stopped_pid=

cleanup() {
  if [ -n "$stopped_pid" ]; then kill -CONT "$stopped_pid" 2>/dev/null || true; fi
  wineserver -k 2>/dev/null || true
  stop_xvfb
}
trap cleanup EXIT

# Windows programs' output loses its carriage returns.
win() { wine "$@" 2>/dev/null | tr -d '\r'; }
# reg_value KEY NAME: a registry value as `reg query` prints it ("" for the
# default value); empty when there is none.
reg_value() {
  local option=(/v "$2")
  [ -z "$2" ] && option=(/ve)
  win reg query "$1" "${option[@]}" | sed -n 's/^ \+\([^ ].*\)\?  *REG_[A-Z_]\+ \+//p' | head -n1
}
# snapshot NAME: every file under the users' and programs' folders with its
# checksum (wine's Temp folders aside), and the user's and machine's software
# registry, as text.
snapshot() {
  (cd "$WINEPREFIX/drive_c" &&
    find users ProgramData "Program Files" -name Temp -prune -o -type f -print0 2>/dev/null |
    sort -z | xargs -0 -r md5sum) >"$work/$1.files"
  wine reg export HKCU "$work/$1.hkcu" /y >/dev/null 2>&1
  wine reg export 'HKLM\Software' "$work/$1.hklm" /y >/dev/null 2>&1
  iconv -f UTF-16 -t UTF-8 "$work/$1.hkcu" "$work/$1.hklm" | tr -d '\r' >"$work/$1.reg"
}
# wait_until SECONDS WHAT CHECK...: waits for CHECK... to hold.
wait_until() {
  local limit=$1 what=$2 start=$SECONDS
  shift 2
  until "$@"; do
    [ $((SECONDS - start)) -le "$limit" ] || fail "$what: not within $limit s"
    sleep 0.2
  done
}
viewer_gone() { [ -z "$(window_id "$TITLE_PREFIX")" ]; }
has_png() { compgen -G "$1/*.png" >/dev/null; }
# The client area of the viewer's window, at rest.
grab() { import -window root -crop "640x480+$client_x+$client_y" +repage -depth 8 "ppm:$work/$1.ppm"; }
viewer_up() {
  viewer_window=$(wait_window "$TITLE_PREFIX" 60) ||
    fail "no viewer window ($1); windows: $(xwininfo -root -children | grep '"')"
  check_window
}

step "release and an older version's setup"
"$source_dir/scripts/release-windows" --build "$build" "$work/release/windows" >"$work/release.log" 2>&1 ||
  fail "scripts/release-windows: $(cat "$work/release.log")"
version=$(sed -n 's/^!define VIEWER_VERSION "\(.*\)"$/\1/p' "$build/generated/win32/version.nsh")
setup=$work/release/package-viewer-$version-setup.exe
[ -f "$setup" ] || fail "no $setup: $(ls "$work/release")"
# Version 0.1 with pictures of its own.
cp -r "$work/release/windows" "$work/old"
printf 'old' >>"$work/old/font.bmp"
printf 'old' >>"$work/old/THmap.bmp"
printf 'old' >"$work/old/web/retired.js"
printf '!define VIEWER_VERSION "0.1"\n!define VIEWER_FILE_VERSION "0.1.0.0"\n' >"$work/old.nsh"
makensis -V1 -DVERSION_NSH="$work/old.nsh" -DRELEASE_DIR="$work/old" -DOUTFILE="$work/old-setup.exe" \
  "$source_dir/packaging/windows/package-viewer.nsi" || fail "the older setup was not made"

# Before wine starts: its programs take the display of the first one.
start_xvfb
step "fresh wine prefix"
wineboot -i >/dev/null 2>&1
wineserver -w
# Keys every Windows has, which a fresh prefix lacks until a program makes them.
win reg add 'HKCU\Software\Classes' /f >/dev/null
win reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall' /f >/dev/null
snapshot before
appdata=$(win cmd /c 'echo %APPDATA%')
local_appdata=$(win cmd /c 'echo %LOCALAPPDATA%')
pictures=$(win cmd /c 'echo %USERPROFILE%')\\Pictures
folder="$local_appdata\\Programs\\KZR Package Viewer"
instdir=$(realpath -m "$(winepath -u "$folder" 2>/dev/null)")
shortcut=$(winepath -u "$appdata\\Microsoft\\Windows\\Start Menu\\Programs\\KZR Tern Haven Package Viewer.lnk" 2>/dev/null)
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\KZR Package Viewer'

step "older version, the player's save and map"
wine "$work/old-setup.exe" /S || fail "the older setup failed"
[ "$(reg_value "$uninstall_key" DisplayVersion)" = 0.1 ] || fail "the older version is not listed"
save="$instdir/my save.b"
win "$make_save" "$(winepath -w "$save")" 154:100,200,10 154:-500,300,12 127:800,-900,0 >/dev/null
[ -s "$save" ] || fail "no save written"
cp "$work/release/windows/font.bmp" "$instdir/THmap.bmp"
cp "$instdir/THmap.bmp" "$work/players-map.bmp"

step "the Start menu entry"
wine start /unix "$shortcut" >/dev/null 2>&1
viewer_up "from the Start menu"
shot plain
# Without a save F12 saves into the folder the viewer started in.
press F12
wait_until 20 "F12's picture in the Pictures folder" has_png "$(winepath -u "$pictures")"

step "upgrade while the viewer runs"
wine "$setup" /S || fail "the upgrade failed"
viewer_gone || fail "the running viewer was not closed"
for file in package-viewer.exe package-tool.exe README.txt LICENSE-DejaVu.txt font.bmp; do
  cmp -s "$work/release/windows/$file" "$instdir/$file" || fail "$file is not this version's"
done
cmp -s "$work/players-map.bmp" "$instdir/THmap.bmp" || fail "the player's map was replaced"
diff -r "$work/release/windows/web" "$instdir/web" >&2 || fail "the web folder is not this version's"
[ -f "$instdir/uninstall.exe" ] || fail "no uninstaller"
for check in "DisplayName=KZR Tern Haven Package Viewer" "DisplayVersion=$version" \
  "Publisher=KZR Package Viewer team" "DisplayIcon=$folder\\package-viewer.exe,0" \
  "UninstallString=\"$folder\\uninstall.exe\"" "QuietUninstallString=\"$folder\\uninstall.exe\" /S" \
  "InstallLocation=$folder"; do
  got=$(reg_value "$uninstall_key" "${check%%=*}")
  [ "$got" = "${check#*=}" ] || fail "uninstall entry: ${check%%=*} is '$got', not '${check#*=}'"
done
[ -n "$(reg_value "$uninstall_key" EstimatedSize)" ] || fail "the uninstall entry has no size"
progid=$(reg_value 'HKCU\Software\Classes\.b' "")
[ -n "$progid" ] || fail ".b files have no program"
[ -n "$(win reg query 'HKCU\Software\Classes\.b\OpenWithProgids' /v "$progid" 2>/dev/null)" ] ||
  fail "the viewer is not in .b files' Open with list"
[ "$(reg_value "HKCU\\Software\\Classes\\$progid\\DefaultIcon" "")" = "$folder\\package-viewer.exe,0" ] ||
  fail "saves have no icon"
# The shortcut: the viewer, its icon, started in the Pictures folder.
"$python" - "$shortcut" "$folder\\package-viewer.exe" "$pictures" <<'PYTHON' || fail "the Start menu entry"
import struct, sys
data = open(sys.argv[1], "rb").read()
flags = struct.unpack_from("<I", data, 20)[0]
at = 76
if flags & 0x1:  # an item id list
    at += 2 + struct.unpack_from("<H", data, at)[0]
if flags & 0x2:  # link information (holds the target's path)
    size, header = struct.unpack_from("<II", data, at)[:2]
    path_at = struct.unpack_from("<I", data, at + 16)[0]
    target = data[at + path_at:data.index(b"\0", at + path_at)].decode("latin-1")
    at += size
strings = {}
for bit, name in ((0x4, "name"), (0x8, "relative"), (0x10, "folder"), (0x20, "arguments"), (0x40, "icon")):
    if flags & bit:
        count = struct.unpack_from("<H", data, at)[0]
        unicode = flags & 0x80
        width = 2 if unicode else 1
        raw = data[at + 2:at + 2 + count * width]
        strings[name] = raw.decode("utf-16-le" if unicode else "latin-1").rstrip("\0")
        at += 2 + count * width
problems = []
if target.lower() != sys.argv[2].lower():
    problems.append(f"target {target!r}")
if strings.get("folder", "").lower() != sys.argv[3].lower():
    problems.append(f"starts in {strings.get('folder')!r}, not {sys.argv[3]!r}")
if strings.get("icon", "").lower() != sys.argv[2].lower():
    problems.append(f"icon {strings.get('icon')!r}")
for problem in problems:
    print("FAIL: the Start menu entry's", problem, file=sys.stderr)
sys.exit(1 if problems else 0)
PYTHON

# The command registered for saves, run on one as Explorer runs it (wine's
# own ShellExecute does not read the user's classes). It must be
# "PROGRAM" "%1", the viewer taking the whole rest of its command line as the
# save's name.
step "a save opened by its registered command"
command=$(reg_value "HKCU\\Software\\Classes\\$progid\\shell\\open\\command" "")
[[ $command =~ ^\"([^\"]+)\"\ \"%1\"$ ]] || fail "the command for saves is '$command'"
program=$(winepath -u "${BASH_REMATCH[1]}")
[ "$program" -ef "$instdir/package-viewer.exe" ] || fail "the command for saves runs '${BASH_REMATCH[1]}'"
(cd "$work" && exec wine "$program" "$(winepath -w "$save")") >"$work/viewer.out" 2>&1 &
viewer_up "opening the save"
shot opened
! cmp -s "$work/opened.ppm" "$work/plain.ppm" || fail "the save did not open (the picture is the one without a save)"
# The window's icon, as wine hands it to X: the 32-pixel picture of the icon
# resource, not Windows' generic one.
"$python" - "$(xprop -id "$viewer_window" -notype 32c _NET_WM_ICON)" \
  "$source_dir/assets/package-viewer.ico" <<'PYTHON' || fail "the window's icon is not the program's"
import struct, sys
values = [int(v) & 0xFFFFFFFF for v in sys.argv[1].split("=", 1)[1].replace(",", " ").split()]
pictures = {}
while len(values) >= 2:
    width, height = values[:2]
    pictures[(width, height)] = values[2:2 + width * height]
    values = values[2 + width * height:]
ico = open(sys.argv[2], "rb").read()
for i in range(struct.unpack_from("<H", ico, 4)[0]):
    width, _, _, _, _, _, size, offset = struct.unpack_from("<BBBBHHII", ico, 6 + 16 * i)
    if width != 32:
        continue
    # A 32-bit bitmap, bottom row first, after its 40-byte header.
    pixels = struct.unpack_from("<1024I", ico, offset + 40)
    expected = [pixels[(31 - y) * 32 + x] for y in range(32) for x in range(32)]
got = pictures.get((32, 32))
if got != expected:
    print(f"FAIL: pictures {sorted(pictures)}; 32x32 differs", file=sys.stderr)
    sys.exit(1)
PYTHON

step "a viewer that does not answer"
viewer_unix_pid=$(xprop -id "$viewer_window" _NET_WM_PID | sed -n 's/.* = //p')
[ -n "$viewer_unix_pid" ] || fail "no process id on the viewer's window"
stopped_pid=$viewer_unix_pid
kill -STOP "$stopped_pid"
snapshot stuck_before
status=0
wine "$setup" /S || status=$?
[ "$status" -ne 0 ] || fail "the setup reported success while the viewer still ran"
snapshot stuck_after
diff "$work/stuck_before.files" "$work/stuck_after.files" >&2 || fail "the failed setup changed files"
diff "$work/stuck_before.reg" "$work/stuck_after.reg" >&2 || fail "the failed setup changed the registry"
kill -CONT "$stopped_pid"
stopped_pid=
echo "the setup ended with status $status, nothing changed"

step "silent uninstall"
wine "$instdir/uninstall.exe" /S || fail "the uninstaller failed"
# It goes on from a copy of itself: wait for every program of the prefix.
timeout 120 wineserver -w || fail "the uninstaller did not end"
snapshot after
diff "$work/before.reg" "$work/after.reg" >&2 || fail "the uninstall left registry changes"
# Only the player's files are new: the save and the map picture.
save_path=${save#"$WINEPREFIX/drive_c/"}
map_path=${instdir#"$WINEPREFIX/drive_c/"}/THmap.bmp
left=$({ diff <(cut -c35- "$work/before.files") <(cut -c35- "$work/after.files") || true; } | sed -n "s/^[<>] //p" | sort)
expected=$(printf '%s\n' "$map_path" "$save_path" | sort)
[ "$left" = "$expected" ] || fail "files changed by install and uninstall:
$left"
cmp -s "$work/players-map.bmp" "$instdir/THmap.bmp" || fail "the player's map changed"
[ ! -e "$instdir/web" ] || fail "the uninstall left the web folder"
echo "PASSED"
