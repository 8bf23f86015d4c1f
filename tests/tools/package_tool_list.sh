#!/usr/bin/env bash
# package-tool list: CSV and JSON output, the note on a save beyond the lists'
# limits, and its exit codes.
set -euo pipefail
tool=$1
make_save=$2
version=$3
work=$(mktemp -d)
writer=
# A failing check must not leave the FIFO's writer behind, holding the output open.
trap 'if [ -n "$writer" ]; then kill "$writer" 2>/dev/null || true; fi; rm -rf "$work"' EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }

"$make_save" "$work/save.b" 154:1234.5,-2,15 127:0.1,nan,-inf 3:9,9,9 154:-0,1e30,10
csv=$("$tool" list "$work/save.b")
expected_csv='kind,index,x,y,z
package,0,1234.5,-2,15
package,1,-0,1e+30,10
rampage,0,0.1,nan,-inf'
[ "$csv" = "$expected_csv" ] || fail "csv output was:
$csv"

json=$("$tool" list "$work/save.b" --format json)
expected_json='{"packages":[{"index":0,"x":1234.5,"y":-2,"z":15},{"index":1,"x":-0,"y":1e+30,"z":10}],"rampages":[{"index":0,"x":0.1,"y":null,"z":null}]}'
[ "$json" = "$expected_json" ] || fail "json output was: $json"

# Beyond 100 packages and 35 rampages the first are kept, and stderr says so.
records=()
for i in $(seq 0 101); do records+=("154:$i,0,0"); done
for i in $(seq 0 35); do records+=("127:$i,1,1"); done
"$make_save" "$work/big.b" "${records[@]}"
csv=$("$tool" list "$work/big.b" 2>"$work/err")
[ "$(grep -c '^package,' <<<"$csv")" -eq 100 ] || fail "big save: $(grep -c '^package,' <<<"$csv") packages listed"
[ "$(grep -c '^rampage,' <<<"$csv")" -eq 35 ] || fail "big save: $(grep -c '^rampage,' <<<"$csv") rampages listed"
[ "$(grep '^package,99,' <<<"$csv")" = package,99,99,0,0 ] || fail "big save: the 100th package is not the file's"
expected_err='package-tool list: the save holds 102 packages; only the first 100 are kept
package-tool list: the save holds 36 rampages; only the first 35 are kept'
[ "$(cat "$work/err")" = "$expected_err" ] || fail "big save: stderr was: $(cat "$work/err")"
"$tool" list "$work/save.b" 2>"$work/err" >/dev/null
[ ! -s "$work/err" ] || fail "a save within the limits printed: $(cat "$work/err")"

# A missing file, and what is not a regular file: a folder, a FIFO (a writer
# waits on it, so a tool that blocks in opening it is released and fails
# below rather than hanging) and a device. Each is named with the reason on
# stderr at once, exit 1, nothing on stdout.
mkfifo "$work/fifo"
{ : >"$work/fifo"; } 2>/dev/null &
writer=$!
for refusal in "$work/missing.b:No such file or directory" "$work:Is a directory" \
  "$work/fifo:not a regular file" "/dev/zero:not a regular file"; do
  refused=${refusal%:*}
  set +e
  out=$("$tool" list "$refused" 2>"$work/err"); status=$?
  set -e
  [ $status -eq 1 ] || fail "$refused exited $status"
  [ -z "$out" ] || fail "$refused printed: $out"
  [ "$(cat "$work/err")" = "package-tool: $refused: ${refusal##*:}" ] || fail "$refused: stderr was: $(cat "$work/err")"
done
kill "$writer" 2>/dev/null || true
wait "$writer" 2>/dev/null || true
writer=

# Wrong usage exits 2; --help and --version exit 0 on stdout.
set +e
"$tool" list >/dev/null 2>&1; [ $? -eq 2 ] || fail "list without a file did not exit 2"
"$tool" list "$work/save.b" --format xml >/dev/null 2>&1; [ $? -eq 2 ] || fail "unknown format did not exit 2"
"$tool" frobnicate >/dev/null 2>&1; [ $? -eq 2 ] || fail "unknown command did not exit 2"
set -e
"$tool" --help | grep -q '^Usage:' || fail "--help printed no usage"
version_line=$("$tool" --version)
[[ $version_line == "package-tool $version "* ]] || fail "--version printed: $version_line"
echo "package-tool list: all checks passed"
