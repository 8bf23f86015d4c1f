#!/usr/bin/env bash
# The bash completion of package-tool, driven as bash drives it: the words of
# a command line in COMP_WORDS, the word being completed in COMP_CWORD, the
# completion function called, COMPREPLY read back; in a folder of files of
# every kind the commands take.
#   completion_test.sh COMPLETION_FILE
# Exit status: 0 passed, 1 failed, 77 skipped (bash-completion is missing).
set -uo pipefail
completion=$(realpath "$1")
fail() { echo "FAIL: $*" >&2; exit 1; }

library=/usr/share/bash-completion/bash_completion
if [ ! -r "$library" ]; then
  echo "SKIPPED: $library is missing (Debian package bash-completion)"
  exit 77
fi
# shellcheck source=/dev/null
source "$library"
# shellcheck source=/dev/null
source "$completion"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
touch slot1.b town.png map.bmp notes.txt
mkdir saves

# The sorted completions of the last word of the given command line.
complete_line() {
  COMP_WORDS=("$@")
  COMP_CWORD=$(($# - 1))
  COMP_LINE="$*"
  COMP_POINT=${#COMP_LINE}
  COMPREPLY=()
  _package_tool package-tool "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
  printf '%s\n' "${COMPREPLY[@]}" | sort | paste -sd ' '
}
expect() {
  local want=$1
  shift
  local got
  got=$(complete_line "$@")
  [ "$got" = "$want" ] || fail "'$*': got '$got', want '$want'"
}

expect '--help --version bmp list map render route serve' package-tool ''
expect 'map' package-tool m
expect 'saves slot1.b' package-tool list ''
expect 'csv json' package-tool list slot1.b --format ''
expect '--format' package-tool list --f
expect 'map.bmp saves' package-tool bmp ''
expect 'map.bmp saves town.png' package-tool map ''
expect 'map.bmp saves' package-tool map town.png ''
expect '--help --pin --size --world' package-tool map town.png out.bmp --
expect '' package-tool map town.png out.bmp --pin ''
expect '1024' package-tool map town.png --size 10
expect '' package-tool map town.png --world ''
expect 'saves slot1.b town.png' package-tool render --zoom 2 ''
expect 'map.bmp saves' package-tool render slot1.b out.png --map ''
expect 'saves town.png' package-tool render --help-page slot1.b ''
expect 'saves slot1.b' package-tool route ''
expect 'all packages rampages' package-tool route slot1.b --kinds ''
expect 'csv json text' package-tool route slot1.b --format ''
expect '--format --from --help --kinds' package-tool route slot1.b --
expect 'all packages rampages' package-tool render slot1.b out.png --kinds ''
expect 'safe standard' package-tool render --palette ''
expect '--route' package-tool render slot1.b out.png --ro
expect 'saves town.png' package-tool render --route slot1.b ''
expect 'saves town.png' package-tool render --kinds=all slot1.b ''
echo "package-tool completion: all checks passed"
