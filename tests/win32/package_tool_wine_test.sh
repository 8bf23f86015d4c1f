#!/usr/bin/env bash
# package-tool.exe under wine: list (with the note on a save beyond the lists'
# limits), map with --world over a map that is already there (Windows will
# not rename over an existing file; the tool must still replace it), bmp to
# look at the result, a bad --world refused, and render saying it cannot draw.
#   package_tool_wine_test.sh WINE_RUN WINE_PREFIX TOOL.exe MAKE_SAVE.exe ASSETS_DIR WORK_DIR
set -euo pipefail
wine_run=$(realpath "$1")
prefix=$(realpath -m "$2")
tool=$(realpath "$3")
make_save=$(realpath "$4")
assets=$(realpath "$5")
work=$(realpath -m "$6")
fail() { echo "FAIL: $*" >&2; exit 1; }
# The programs' output has Windows line ends.
win() { "$wine_run" "$prefix" "$@" 2>"$work/err" | tr -d '\r'; }
errors() { tr -d '\r' <"$work/err"; }

rm -rf "$work"
mkdir -p "$work"
cd "$work"
cp "$assets/font.bmp" .

win "$make_save" save.b 154:1234.5,-2,15 127:0.1,nan,-inf 154:-0,1e30,10 >/dev/null
expected='kind,index,x,y,z
package,0,1234.5,-2,15
package,1,-0,1e+30,10
rampage,0,0.1,nan,-inf'
[ "$(win "$tool" list save.b)" = "$expected" ] || fail "list: $(win "$tool" list save.b) $(errors)"
records=()
for i in $(seq 0 100); do records+=("154:$i,0,0"); done
win "$make_save" big.b "${records[@]}" >/dev/null
[ "$(win "$tool" list big.b | grep -c '^package,')" -eq 100 ] || fail "list big.b: not 100 packages"
[ "$(errors)" = "package-tool list: the save holds 101 packages; only the first 100 are kept" ] ||
  fail "list big.b: stderr was: $(errors)"
status=0
win "$tool" list nosuch.b >/dev/null || status=$?
[ "$status" -eq 1 ] && [ "$(errors)" = "package-tool: nosuch.b: No such file or directory" ] ||
  fail "list nosuch.b exited $status, said: $(errors)"
echo "list: as on Linux"

# The font picture (greys from black to white) as the top-right quarter of a
# 16-pixel map, made over a map of the whole area made first.
win "$tool" map font.bmp map.bmp --size 16 >/dev/null || fail "map: $(errors)"
win "$tool" map font.bmp map.bmp --size 16 --world 0,0,2000,2000 >/dev/null || fail "map over map.bmp: $(errors)"
[ -z "$(ls map.bmp.*.tmp 2>/dev/null)" ] || fail "temporary files left: $(ls)"
win "$tool" bmp map.bmp map.ppm >/dev/null || fail "bmp: $(errors)"
[ "$(head -c 13 map.ppm)" = "$(printf 'P6\n16 16\n255\n')" ] || fail "map.ppm header: $(head -c 13 map.ppm | od -c)"
# One line per row: "paper" or "picture" for each of its 16 pixels.
rows=$(tail -c +14 map.ppm | od -An -v -tu1 -w48 |
  awk '{ line = ""; for (i = 1; i <= 48; i += 3) line = line ($i == 44 && $(i+1) == 52 && $(i+2) == 62 ? "p" : "x"); print line }')
expected_rows=$(for _ in $(seq 8); do echo pppppppp________; done | tr _ x; for _ in $(seq 8); do echo pppppppppppppppp; done)
[ "$rows" = "$expected_rows" ] || fail "the picture is not in the top-right quarter (x: picture, p: paper):
$rows"
echo "map --world: the picture in its quarter, the rest paper, the old map replaced"

# The same quarter by two pins (the font picture is 256 pixels square): the
# side the viewer would keep (1024), the picture where --world puts it.
win "$tool" map font.bmp pinned.bmp --pin 0,0=0,2000 --pin 256,256=2000,0 >/dev/null || fail "map --pin: $(errors)"
win "$tool" map font.bmp world.bmp --size 1024 --world 0,0,2000,2000 >/dev/null || fail "map --world: $(errors)"
cmp -s pinned.bmp world.bmp || fail "map --pin and map --world made different maps"
status=0
win "$tool" map font.bmp bad.bmp --pin 0,0=0,0 >/dev/null || status=$?
[ "$status" -eq 2 ] && [ ! -e bad.bmp ] || fail "a single --pin exited $status"
echo "map --pin: as --world puts it"

status=0
win "$tool" map font.bmp bad.bmp --world 0,0,0,1 >/dev/null || status=$?
[ "$status" -eq 2 ] || fail "a bad --world exited $status"
[ ! -e bad.bmp ] || fail "a bad --world wrote bad.bmp"
status=0
win "$tool" render out.png >/dev/null || status=$?
[ "$status" -eq 1 ] || fail "render exited $status"
grep -q 'EGL' <<<"$(errors)" || fail "render said: $(errors)"
[ ! -e out.png ] || fail "render wrote out.png"
echo "package-tool.exe: all checks passed"
