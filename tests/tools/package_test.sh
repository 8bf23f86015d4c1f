#!/usr/bin/env bash
# scripts/package on the test build: the .deb's name, fields and files (the
# web page's among them), and lintian's verdict (no error, no warning) where
# lintian is installed; then, when the test runs as root (as CI does), the
# package installed for real with apt-get, both programs, the pictures and the
# manual pages checked where it put them, the savegame type and the menu entry
# found in the databases that the triggers of shared-mime-info and
# desktop-file-utils update, the installed package-tool serving the installed
# page and a save, and all of it removed again without a trace.
#   package_test.sh SOURCE_DIR BUILD_DIR VERSION MAKE_TEST_SAVE WORK_DIR
# Exit status: 0 passed, 1 failed, 77 skipped (installing needs root).
set -euo pipefail
source_dir=$(realpath "$1")
build=$(realpath "$2")
version=$3
make_save=$(realpath "$4")
work=$(realpath -m "$5")
fail() { echo "FAIL: $*" >&2; exit 1; }

rm -rf "$work"
mkdir -p "$work"
"$source_dir/scripts/package" --build "$build" "$work/out" >"$work/package.log" 2>&1 ||
  fail "scripts/package: $(cat "$work/package.log")"
arch=$(dpkg --print-architecture)
deb=$work/out/package-viewer_${version}_$arch.deb
[ -f "$deb" ] || fail "no $deb: $(ls "$work/out")"

[ "$(dpkg-deb --field "$deb" Package)" = package-viewer ] || fail "Package: $(dpkg-deb --field "$deb" Package)"
[ "$(dpkg-deb --field "$deb" Version)" = "$version" ] || fail "Version: $(dpkg-deb --field "$deb" Version)"
depends=$(dpkg-deb --field "$deb" Depends)
echo "Depends: $depends"
for library in libc6 libsdl2-2.0-0 libstb0 libgl1; do
  grep -qE "(^|, )$library( |,|$)" <<<"$depends" || fail "Depends lacks $library: $depends"
done
files=$(dpkg-deb --contents "$deb" | awk '{ print $6 }')
for file in usr/bin/package-viewer usr/bin/package-tool usr/share/package-viewer/font.bmp \
  usr/share/package-viewer/THmap.bmp usr/share/applications/package-viewer.desktop \
  usr/share/icons/hicolor/scalable/apps/package-viewer.svg usr/share/doc/package-viewer/copyright \
  usr/share/doc/package-viewer/changelog.gz usr/share/man/man1/package-viewer.1.gz \
  usr/share/man/man1/package-tool.1.gz usr/share/bash-completion/completions/package-tool \
  usr/share/mime/packages/package-viewer.xml; do
  grep -qx "./$file" <<<"$files" || fail "the package lacks $file"
done
# The web page: every file of the site this build installs, and only those.
site=$(sed -n 's/^VIEWER_WEB_SITE_DIR:PATH=//p' "$build/CMakeCache.txt")
web_files=$(sed -n 's|^\./usr/share/package-viewer/web/\(.\)|\1|p' <<<"$files" | sort)
site_files=$(find "$site" -mindepth 1 -printf '%P\n' | sort)
[ -n "$web_files" ] || fail "the package holds no web page"
[ "$web_files" = "$site_files" ] || fail "the package's web page holds [$web_files], $site holds [$site_files]"
echo "$(basename "$deb"): $(stat -c %s "$deb") bytes, fields and files as expected"

if command -v lintian >/dev/null; then
  # Root may run lintian here; it says it would rather not.
  lintian --fail-on error,warning "$deb" >"$work/lintian.log" 2>&1 || fail "lintian: $(cat "$work/lintian.log")"
  echo "lintian: no error, no warning"
else
  echo "lintian is not installed: not run"
fi

if [ "$(id -u)" -ne 0 ]; then
  echo "SKIPPED: installing the package for real needs root (as CI runs the tests)"
  exit 77
fi
if dpkg-query -W -f='${db:Status-Status}' package-viewer 2>/dev/null | grep -qx installed; then
  echo "SKIPPED: package-viewer is installed on this machine already; the test leaves it alone"
  exit 77
fi

apt_get() { DEBIAN_FRONTEND=noninteractive apt-get -q -y -o DPkg::Lock::Timeout=120 "$@"; }
installed=false
server=
cleanup() {
  if [ -n "$server" ]; then kill "$server" 2>/dev/null || true; fi
  if $installed; then apt_get purge package-viewer >/dev/null 2>&1 || true; fi
}
trap cleanup EXIT

apt_get install "$deb" >"$work/install.log" 2>&1 || fail "apt-get install: $(cat "$work/install.log")"
installed=true
[ "$(/usr/bin/package-viewer --version)" = "package-viewer $version" ] ||
  fail "installed package-viewer --version: $(/usr/bin/package-viewer --version)"
[[ $(/usr/bin/package-tool --version) == "package-tool $version "* ]] ||
  fail "installed package-tool --version: $(/usr/bin/package-tool --version)"
for picture in font.bmp THmap.bmp; do
  cmp -s "/usr/share/package-viewer/$picture" "$source_dir/assets/$picture" || fail "installed $picture differs"
done
for page in package-viewer package-tool; do
  [ "$(MANPATH='' man -w "$page")" = "/usr/share/man/man1/$page.1.gz" ] || fail "man -w $page: $(man -w "$page" 2>&1)"
done
# The triggers of shared-mime-info and desktop-file-utils have run.
if command -v update-mime-database >/dev/null; then
  grep -qx '50:application/x-kzr-tern-haven-savegame:\*\.b' /usr/share/mime/globs2 ||
    fail "the installed savegame type is not in /usr/share/mime/globs2"
fi
if command -v update-desktop-database >/dev/null; then
  grep -q '^application/x-kzr-tern-haven-savegame=.*package-viewer.desktop' /usr/share/applications/mimeinfo.cache ||
    fail "the installed menu entry does not open savegames: $(grep kzr /usr/share/applications/mimeinfo.cache)"
fi
# The installed tool finds the installed pictures from any folder.
(cd "$work" && /usr/bin/package-tool render "$work/render.png") >"$work/render.log" 2>&1 ||
  fail "installed package-tool render: $(cat "$work/render.log")"
echo "installed: both programs answer $version, the pictures are in /usr/share/package-viewer"

# The installed tool serves the installed page and a save on 127.0.0.1, and
# ends with status 0 on SIGTERM.
fetch() { /usr/bin/python3 -c 'import sys, urllib.request
sys.stdout.buffer.write(urllib.request.urlopen(sys.argv[1], timeout=20).read())' "$1"; }
web=/usr/share/package-viewer/web
"$make_save" "$work/serve.b" 154:100,200,10 127:800,-900,0
(cd "$work" && exec /usr/bin/package-tool serve "$work/serve.b" --port 0 >"$work/serve.out" 2>"$work/serve.err") &
server=$!
for _ in $(seq 200); do
  [ "$(wc -l <"$work/serve.out")" -ge 1 ] && break
  kill -0 "$server" 2>/dev/null || break
  sleep 0.1
done
address=$(head -n 1 "$work/serve.out")
[[ $address =~ ^http://127\.0\.0\.1:[0-9]+/$ ]] ||
  fail "installed package-tool serve printed '$address': $(cat "$work/serve.err")"
# The served page is the installed one, with the mark that a save is served
# beside it.
fetch "$address" >"$work/served.html" || fail "no page at $address"
grep -q 'name="shared-save"' "$work/served.html" || fail "the served page lacks its mark: $(cat "$work/served.html")"
diff <(grep -v 'name="shared-save"' "$work/served.html") "$web/index.html" >&2 ||
  fail "the served page is not $web/index.html"
fetch "${address}package-viewer.wasm" | cmp -s - "$web/package-viewer.wasm" || fail "the served program differs"
fetch "${address}save" | cmp -s - "$work/serve.b" || fail "the served save differs"
kill -TERM "$server"
status=0
wait "$server" || status=$?
server=
[ "$status" -eq 0 ] || fail "installed package-tool serve ended with status $status on SIGTERM"
echo "installed: package-tool serve hands out $web and the save, and ends with 0 on SIGTERM"

apt_get purge package-viewer >"$work/remove.log" 2>&1 || fail "apt-get purge: $(cat "$work/remove.log")"
installed=false
! dpkg-query -W -f='${db:Status-Status}' package-viewer 2>/dev/null | grep -qx installed || fail "still installed"
for path in /usr/bin/package-viewer /usr/bin/package-tool /usr/share/package-viewer \
  /usr/share/doc/package-viewer /usr/share/applications/package-viewer.desktop \
  /usr/share/mime/packages/package-viewer.xml /usr/share/man/man1/package-tool.1.gz; do
  [ ! -e "$path" ] || fail "left behind after removal: $path"
done
! grep -q kzr-tern-haven /usr/share/mime/globs2 2>/dev/null || fail "the savegame type stays in globs2"
echo "removed: nothing left behind"
echo "package: all checks passed"
