#!/usr/bin/env bash
# scripts/release-windows on this Windows build: the zip beside the release
# folder is named after the version and holds exactly the folder's six files
# and its web folder (the web page of the source tree's build/web/site),
# byte for byte, with the version in the read-me, which says what README.md
# says of the map pictures the viewer reads.
#   release_zip_test.sh SOURCE_DIR BUILD_DIR VERSION WORK_DIR
set -euo pipefail
source_dir=$(realpath "$1")
build=$(realpath "$2")
version=$3
work=$(realpath -m "$4")
fail() { echo "FAIL: $*" >&2; exit 1; }

rm -rf "$work"
"$source_dir/scripts/release-windows" --build "$build" "$work/windows" >"$work.log" 2>&1 ||
  fail "scripts/release-windows: $(cat "$work.log")"
zip=$work/package-viewer-$version-win32.zip
[ -f "$zip" ] || fail "no $zip: $(ls "$work")"

site=$source_dir/build/web/site
diff -r "$site" "$work/windows/web" >&2 || fail "the release's web folder is not $site"
listed=$(unzip -Z1 "$zip" | grep -v '/$' | sort)
top=$(cut -d / -f 1 <<<"$listed" | sort -u | tr '\n' ' ')
[ "$top" = "LICENSE-DejaVu.txt README.txt THmap.bmp font.bmp package-tool.exe package-viewer.exe web " ] ||
  fail "the zip holds: $top"
[ "$(sed -n 's|^web/||p' <<<"$listed")" = "$(find "$site" -mindepth 1 -printf '%P\n' | sort)" ] ||
  fail "the zip's web folder holds: $(sed -n 's|^web/||p' <<<"$listed" | tr '\n' ' ')"
while read -r file; do
  unzip -p "$zip" "$file" | cmp -s - "$work/windows/$file" || fail "$file in the zip differs from the folder's"
done <<<"$listed"
unzip -p "$zip" README.txt | head -n1 | grep -q "V$version" || fail "the read-me does not name version $version"
# Both read-mes give the map's sizes alike: a power of two up to 4096, 1024
# when not given.
readme=$(unzip -p "$zip" README.txt | tr -d '\r' | tr '\n' ' ' | tr -s ' ')
for fact in "power of two up to 4096" "1024 when not given"; do
  grep -q "$fact" <<<"$readme" || fail "README.txt does not say '$fact'"
  tr '\n' ' ' <"$source_dir/README.md" | tr -s ' ' | grep -q "$fact" || fail "README.md does not say '$fact'"
done
echo "$(basename "$zip"): $(stat -c %s "$zip") bytes, the six files and the web folder"
