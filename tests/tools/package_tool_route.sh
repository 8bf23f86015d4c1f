#!/usr/bin/env bash
# package-tool route: its three formats, markers that cannot be placed, the
# note on markers beyond the lists' room, and its exit codes.
set -euo pipefail
tool=$1
make_save=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }

# Packages on a line (the shortest route from 400,0 walks it leftwards), a
# rampage off it, and a package without a finite x.
"$make_save" "$work/save.b" 154:0,0,5 154:300,0,20 154:100,0,5.5 127:150,-50,1 154:nan,3,4 154:200,0,-1
text=$("$tool" route "$work/save.b" --kinds packages --from 400,0 2>"$work/err")
expected_text='stop  kind    index            x            y            z        leg      total
   1  package     1          300            0           20      100.0      100.0
   2  package     4          200            0           -1      100.0      200.0
   3  package     2          100            0          5.5      100.0      300.0
   4  package     0            0            0            5      100.0      400.0
   -  package     3          nan            3            4          -          -
length 400.0 from 400, 0'
[ "$text" = "$expected_text" ] || fail "text output was:
$text"
grep -qx 'package-tool route: 1 marker(s) whose x or y is not finite cannot be placed on the route' "$work/err" ||
  fail "no note on the unplaced marker: $(cat "$work/err")"

# Both kinds unless --kinds says otherwise, as the viewer shows them.
csv=$("$tool" route "$work/save.b" --format csv --from 400,0 2>/dev/null)
expected_csv='kind,index,x,y,z,leg,total
package,1,300,0,20,100,100
package,4,200,0,-1,100,200
rampage,0,150,-50,1,70.71067811865476,270.71067811865476
package,2,100,0,5.5,70.71067811865476,341.4213562373095
package,0,0,0,5,100,441.4213562373095
package,3,nan,3,4,,'
[ "$csv" = "$expected_csv" ] || fail "csv output was:
$csv"

json=$("$tool" route "$work/save.b" --kinds rampages --format json)
[ "$json" = '{"from":null,"length":0,"stops":[{"kind":"rampage","index":0,"x":150,"y":-50,"z":1,"leg":0,"total":0}],"unplaced":[]}' ] ||
  fail "json output was: $json"
json=$("$tool" route "$work/save.b" --kinds=packages --from -100,0.5 --format json 2>/dev/null)
case $json in
  '{"from":[-100,0.5],"length":'*'"stops":[{"kind":"package","index":0,'*'"unplaced":[{"kind":"package","index":3,"x":null,"y":3,"z":4}]}') ;;
  *) fail "json output from a start was: $json" ;;
esac

# A save with more packages than the lists keep says so.
pickups=()
for i in $(seq 1 103); do pickups+=("154:$i,0,0"); done
"$make_save" "$work/many.b" "${pickups[@]}"
"$tool" route "$work/many.b" --format csv 2>"$work/err" | tail -n +2 | wc -l | grep -qx 100 || fail "not 100 stops"
grep -qx 'package-tool route: the save holds 103 packages; only the first 100 are kept' "$work/err" ||
  fail "no note on the dropped packages: $(cat "$work/err")"

# A missing save: its name and the reason on stderr, exit 1. Wrong usage: exit 2.
set +e
out=$("$tool" route "$work/missing.b" 2>"$work/err"); status=$?
[ $status -eq 1 ] && [ -z "$out" ] || fail "missing save exited $status, printed: $out"
grep -qxF "package-tool: $work/missing.b: No such file or directory" "$work/err" || fail "stderr was: $(cat "$work/err")"
for arguments in "" "--from 1,x" "--from 1" "--from inf,0" "--kinds keys" "--format xml" "--frobnicate" "$work/save.b"; do
  # shellcheck disable=SC2086
  "$tool" route $arguments "$work/save.b" >/dev/null 2>&1; status=$?
  if [ -z "$arguments" ]; then "$tool" route >/dev/null 2>&1; status=$?; fi
  [ $status -eq 2 ] || fail "route $arguments exited $status"
done
set -e
echo "package-tool route: all checks passed"
