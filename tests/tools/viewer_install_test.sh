#!/usr/bin/env bash
# The README's install, exactly as written: `scripts/viewer` in a copy of the
# source tree (here with --version, so that no window opens), then
# `cmake --install build/viewer --prefix PREFIX`. Everything is installed but
# the web page, which the install says scripts/web builds; once the page is
# built (here copied from SOURCE_DIR's build/web/site, which must exist), the
# same install adds it. Then, under that prefix, `man` finds both manual pages through PATH alone,
# bash-completion finds package-tool's completion through XDG_DATA_DIRS, and the savegame type and
# the menu entry that opens it go into the databases that file managers read.
#   viewer_install_test.sh SOURCE_DIR VERSION WORK_DIR
# Exit status: 0 passed, 1 failed, 77 skipped (a tool is missing).
set -euo pipefail
source_dir=$(realpath "$1")
version=$2
work=$(realpath -m "$3")
fail() { echo "FAIL: $*" >&2; exit 1; }

for tool in man update-mime-database update-desktop-database desktop-file-validate; do
  command -v "$tool" >/dev/null || { echo "SKIPPED: $tool is missing"; exit 77; }
done
completion_library=/usr/share/bash-completion/bash_completion
[ -r "$completion_library" ] || { echo "SKIPPED: $completion_library is missing"; exit 77; }

rm -rf "$work"
mkdir -p "$work/source"
# The tree as a fresh clone has it: no build folders, no releases.
tar -C "$source_dir" --exclude=./build --exclude='./build-*' --exclude=./release --exclude=./.git -cf - . |
  tar -C "$work/source" -xf -

# The build's progress comes first; the viewer's answer is the last line.
"$work/source/scripts/viewer" --version >"$work/viewer.log" 2>&1 ||
  fail "scripts/viewer --version: $(tail -n 20 "$work/viewer.log")"
answer=$(tail -n 1 "$work/viewer.log")
[ "$answer" = "package-viewer $version" ] || fail "scripts/viewer --version printed: $answer"
prefix=$work/prefix
(cd "$work/source" && cmake --install build/viewer --prefix "$prefix") >"$work/install.log" 2>&1 ||
  fail "cmake --install build/viewer: $(cat "$work/install.log")"
for file in bin/package-viewer bin/package-tool share/package-viewer/font.bmp share/package-viewer/THmap.bmp \
  share/applications/package-viewer.desktop share/icons/hicolor/scalable/apps/package-viewer.svg \
  share/doc/package-viewer/LICENSE-DejaVu.txt share/man/man1/package-viewer.1 share/man/man1/package-tool.1 \
  share/bash-completion/completions/package-tool share/mime/packages/package-viewer.xml; do
  [ -f "$prefix/$file" ] || fail "not installed: $file"
done
[[ $("$prefix/bin/package-tool" --version) == "package-tool $version "* ]] || fail "installed package-tool --version"
echo "scripts/viewer, then cmake --install build/viewer: everything installed"

# The web page: not built in a fresh tree, which the install says; built
# after the programs' build was configured, it is installed with them.
grep -q "^Not installing the web page: .* (scripts/web builds it)$" "$work/install.log" ||
  fail "the install without a web page does not say so: $(cat "$work/install.log")"
[ ! -e "$prefix/share/package-viewer/web" ] || fail "a web folder was installed without a web page"
site=$source_dir/build/web/site
[ -f "$site/index.html" ] || fail "no web page in $site (scripts/web builds it)"
mkdir -p "$work/source/build/web"
cp -r "$site" "$work/source/build/web/site"
(cd "$work/source" && cmake --install build/viewer --prefix "$prefix") >"$work/install-web.log" 2>&1 ||
  fail "cmake --install build/viewer with the web page: $(cat "$work/install-web.log")"
diff -r "$site" "$prefix/share/package-viewer/web" >&2 || fail "the installed web page is not $site"
echo "the web page is installed once scripts/web has built it"

# man-db looks beside each bin/ folder on PATH for ../share/man.
export PATH=$prefix/bin:$PATH
unset MANPATH
for page in package-viewer package-tool; do
  found=$(man -w "$page" 2>&1) || fail "man -w $page: $found"
  [ "$found" = "$prefix/share/man/man1/$page.1" ] || fail "man $page finds $found"
  text=$(MANPAGER=cat MANWIDTH=80 man "$page" 2>&1) || fail "man $page: $text"
  grep -q "^NAME" <<<"$text" || fail "man $page shows: $text"
done
echo "man finds both pages under $prefix/share/man"

# bash-completion loads a command's completion from the bash-completion
# folder of each data folder in XDG_DATA_DIRS (/usr/local/share:/usr/share
# when unset), as menus read menu entries.
# shellcheck disable=SC2016
loaded=$(XDG_DATA_DIRS=$prefix/share:/usr/share bash -c 'source "$1" && __load_completion package-tool && complete -p package-tool' _ \
  "$completion_library" 2>&1) || fail "bash-completion did not load package-tool's: $loaded"
[ "$loaded" = "complete -F _package_tool package-tool" ] || fail "bash-completion loaded: $loaded"
echo "bash-completion finds package-tool's completion"

# What the .deb's triggers (shared-mime-info's and desktop-file-utils') run.
update-mime-database "$prefix/share/mime" >"$work/mime.log" 2>&1 || fail "update-mime-database: $(cat "$work/mime.log")"
grep -qx '50:application/x-kzr-tern-haven-savegame:\*\.b' "$prefix/share/mime/globs2" ||
  fail "*.b is not a savegame in globs2: $(grep kzr "$prefix/share/mime/globs2")"
entry=$prefix/share/applications/package-viewer.desktop
report=$(desktop-file-validate "$entry" 2>&1) || fail "desktop-file-validate: $report"
[ -z "$report" ] || fail "desktop-file-validate has remarks: $report"
update-desktop-database "$prefix/share/applications" || fail "update-desktop-database"
grep -qx 'application/x-kzr-tern-haven-savegame=package-viewer.desktop;' "$prefix/share/applications/mimeinfo.cache" ||
  fail "the menu entry does not open savegames: $(cat "$prefix/share/applications/mimeinfo.cache")"
echo "a *.b file is a savegame, and the viewer opens it"
echo "install after scripts/viewer: all checks passed"
