#!/usr/bin/env bash
# scripts/install-deps against a package database of our own: dpkg, dpkg-query,
# apt-get and sudo are stand-ins on PATH, so nothing is installed. A package
# installed for two architectures counts as present, wine32:i386 is checked
# as the 32-bit package it is, and with everything present nothing runs.
set -euo pipefail
script=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }

mkdir "$work/bin"
# dpkg-query -W -f=FORMAT PACKAGE[:ARCH]...: answers from $work/db, one
# "NAME ARCH" line per installed package.
cat >"$work/bin/dpkg-query" <<'STUB'
#!/usr/bin/env bash
format=${2#-f=}
status=0
for pattern in "${@:3}"; do
  name=${pattern%%:*} wanted=
  [[ $pattern == *:* ]] && wanted=${pattern#*:}
  found=0
  while read -r package arch; do
    [ "$package" = "$name" ] && { [ -z "$wanted" ] || [ "$wanted" = "$arch" ]; } || continue
    line=${format//'${Package}'/$package}
    line=${line//'${Architecture}'/$arch}
    line=${line//'${Status}'/install ok installed}
    line=${line//'${db:Status-Status}'/installed}
    printf "$line"
    found=1
  done <"$STUB_DB"
  [ $found -eq 1 ] || { echo "dpkg-query: no packages found matching $pattern" >&2; status=1; }
done
exit $status
STUB
cat >"$work/bin/dpkg" <<'STUB'
#!/bin/sh
case $1 in
  --print-architecture) echo amd64 ;;
  --print-foreign-architectures) echo i386 ;;
  *) echo "dpkg $*" >>"$STUB_LOG" ;;
esac
STUB
cat >"$work/bin/apt-get" <<'STUB'
#!/bin/sh
echo "apt-get $*" >>"$STUB_LOG"
STUB
cat >"$work/bin/sudo" <<'STUB'
#!/bin/sh
exec "$@"
STUB
chmod +x "$work/bin/"*
export PATH="$work/bin:$PATH" STUB_DB="$work/db" STUB_LOG="$work/log"

# Runs the script in test mode; its apt-get calls end up in $work/log.
run() {
  : >"$work/log"
  "$script" test >"$work/out" 2>&1 || fail "install-deps failed: $(cat "$work/out")"
}

# An empty database: everything is installed, and that is the full list.
: >"$work/db"
run
grep -q '^apt-get update' "$work/log" || fail "nothing installed, but no apt-get update: $(cat "$work/log")"
wanted=$(sed -n 's/^apt-get install -y -q //p' "$work/log")
[ -n "$wanted" ] || fail "nothing installed, but no apt-get install: $(cat "$work/log")"

# Everything installed, some packages for a second architecture and the
# fonts for all: nothing to do, and no apt-get at all.
for package in $wanted; do
  case $package in
    *:*) echo "${package%%:*} ${package#*:}" ;;
    fonts-*) echo "$package all" ;;
    *) echo "$package amd64" ;;
  esac
done >"$work/db"
echo "libgl1-mesa-dri i386" >>"$work/db"
echo "wine32 amd64" >>"$work/db"
run
[ ! -s "$work/log" ] || fail "everything present, but it ran: $(cat "$work/log")"
[ ! -s "$work/out" ] || fail "everything present, but it printed: $(cat "$work/out")"

# The 32-bit wine gone (its 64-bit namesake stays): only it is installed.
grep -vx 'wine32 i386' "$work/db" >"$work/db.new" && mv "$work/db.new" "$work/db"
run
grep -qx 'apt-get install -y -q wine32:i386' "$work/log" || fail "wine32:i386 missing, but: $(cat "$work/log")"
echo "install-deps: all checks passed"
