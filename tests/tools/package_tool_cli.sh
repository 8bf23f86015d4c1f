#!/usr/bin/env bash
# package-tool's command line, one row per case: the arguments, the exit
# status, a line that stdout and one that stderr must hold (whole lines,
# "" for nothing expected, "-" for must be empty), and a file that must
# (+name) or must not (!name) be there afterwards.
#   package_tool_cli.sh TOOL MAKE_SAVE
set -uo pipefail
tool=$(realpath "$1")
make_save=$(realpath "$2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
fail() { echo "FAIL: $*" >&2; failed=1; }
failed=0

"$make_save" save.b 154:0,0,5 154:300,0,20 127:150,-50,1 >/dev/null
"$make_save" empty.b >/dev/null
printf '\x89PNG\r\n\x1a\n\0\0\0\rIHDR' >picture.png
printf '\xff\xd8\xff\xe0\0\x10JFIF\0' >photo.jpg
printf 'GIF89a\1\0\1\0\0\0\0' >anim.gif
mkdir folder

# status # stdout line # stderr line # file # arguments (split on spaces)
cases=(
  '1#-#package-tool: nosuch.b: No such file or directory##list nosuch.b'
  '1#-#package-tool: nosuch.b: No such file or directory##route nosuch.b'
  '1#-#package-tool: folder: Is a directory##list folder'
  '1#-#package-tool: nosuch.bmp: No such file or directory##bmp nosuch.bmp out.png'
  '1#-#package-tool: picture.png is a PNG picture, not a BMP: make a map of it with package-tool map#!out.png#bmp picture.png out.png'
  '1#-#package-tool: photo.jpg is a JPEG picture, not a BMP: make a map of it with package-tool map#!out.png#bmp photo.jpg out.png'
  '1#-#package-tool: anim.gif is a GIF picture, not a BMP: make a map of it with package-tool map#!out.ppm#bmp anim.gif out.ppm'
  '1#-#package-tool: nosuch.png: No such file or directory#!out.bmp#map nosuch.png out.bmp'
  '0#Usage:#-##list --help'
  '0#  package-tool route SAVEGAME [--from X,Y] [--kinds packages|rampages|all]#-##route save.b --help'
  '0#  package-tool map IMAGE OUT.bmp [--size N] [--world LEFT,BOTTOM,RIGHT,TOP]#-##map --help'
  '0#  package-tool bmp IMAGE OUT.png|OUT.ppm#-##bmp --help'
  '0#      best, through the kinds shown.#-##render --help'
  '0#rampage,0,150,-50,1,158.11388300841898,158.11388300841898#-##route save.b --kinds=all --format=csv'
  '0#length 322.4 from 10, 20#-##route save.b --kinds=packages --from=10,20'
  '0#kind,index,x,y,z#-##list save.b --format=csv'
  '2#-#package-tool list: --format needs a value##list save.b --format'
  '2#-#package-tool route: --kinds needs a value##route save.b --kinds'
  '2#-#package-tool route: --from needs a value##route save.b --from'
  '2#-#package-tool map: --size needs a value#!out.bmp#map picture.png out.bmp --size'
  '2#-#package-tool render: --palette needs a value#!out.png#render out.png --palette'
  "2#-#package-tool list: unknown option '--bogus'##list save.b --bogus"
  "2#-#package-tool route: unknown option '--kind=all'##route save.b --kind=all"
  "2#-#package-tool map: unknown option '--colour'#!out.bmp#map picture.png out.bmp --colour"
  "2#-#package-tool render: unknown option '--bogus'#!out.png#render out.png --bogus"
  '2#-#package-tool render: --route takes no value#!out.png#render out.png --route=yes'
  "2#-#package-tool map: OUT.bmp must end in .bmp (the map is written as BMP): 'out.png'#!out.png#map picture.png out.png"
  '2#-#package-tool map: --pin: Two pins are needed to place the picture#!out.bmp#map picture.png out.bmp --pin 0,0=0,0'
  '2#-#package-tool map: --pin: The pinned markers are too close together: pin two at least a tenth of the map apart#!out.bmp#map picture.png out.bmp --pin 0,0=0,0 --pin 10,10=100,-100'
  '2#-#package-tool map: --pin: The pins turn the picture over: check which marker each pin belongs to#!out.bmp#map picture.png out.bmp --pin 0,0=0,0 --pin 100,0=-1000,0'
  '2#-#package-tool map: --pin: The pins mark one point of the picture: pin different places#!out.bmp#map picture.png out.bmp --pin 5,5=0,0 --pin 5,5=1000,0'
  "2#-#package-tool map: --pin takes a picture point and the savegame point it shows, PX,PY=X,Y: '0,0=a,0'#!out.bmp#map picture.png out.bmp --pin 0,0=a,0 --pin 9,9=900,900"
  "2#-#package-tool map: --pin takes a picture point and the savegame point it shows, PX,PY=X,Y: '0,0,0,0'#!out.bmp#map picture.png out.bmp --pin 0,0,0,0"
  '2#-#package-tool map: --world and --pin place the picture two ways: give one#!out.bmp#map picture.png out.bmp --world 0,0,1,1 --pin 0,0=0,0 --pin 9,9=900,900'
  '0#{"packages":[{"index":0,"x":0,"y":0,"z":5},{"index":1,"x":300,"y":0,"z":20}],"rampages":[{"index":0,"x":150,"y":-50,"z":1}]}#-##list save.b --format json'
  '0#length 316.2#-##route save.b'
  '0#kind,index,x,y,z#package-tool list: empty.b: nothing is left: no packages or rampages to collect##list empty.b'
  '0#length 0.0#package-tool route: empty.b: nothing is left: no packages or rampages to collect##route empty.b'
  '0##package-tool route: empty.b: nothing is left: no rampages to collect##route empty.b --kinds rampages --format csv'
)

for row in "${cases[@]}"; do
  IFS='#' read -r status out err file arguments <<<"$row"
  rm -f out.png out.bmp out.ppm
  # shellcheck disable=SC2086
  "$tool" $arguments >stdout 2>stderr
  got=$?
  [ "$got" -eq "$status" ] || fail "'$arguments' exited $got, not $status; stderr: $(cat stderr)"
  for stream in out err; do
    want=${!stream}
    if [ "$want" = - ]; then
      [ ! -s "std$stream" ] || fail "'$arguments' wrote to std$stream: $(cat "std$stream")"
    elif [ -n "$want" ]; then
      grep -qxF -- "$want" "std$stream" || fail "'$arguments': std$stream lacks '$want'; it was: $(cat "std$stream")"
    fi
  done
  case $file in
    +*) [ -e "${file#+}" ] || fail "'$arguments' did not write ${file#+}" ;;
    !*) [ ! -e "${file#!}" ] || fail "'$arguments' wrote ${file#!}" ;;
  esac
done

# --help gives that command's usage alone.
expected_help='Usage:
  package-tool list SAVEGAME [--format csv|json]
      Prints the packages and rampages left in a savegame.'
[ "$("$tool" list save.b --help)" = "$expected_help" ] || fail "list --help printed: $("$tool" list save.b --help)"

# The text route's columns widen where a number does not fit, and only there:
# every line of the table is as long as its heading.
"$tool" route save.b --from 1e9,5 >stdout 2>stderr || fail "route --from 1e9,5 exited $?"
widths=$(head -n -1 stdout | awk '{ print length($0) }' | sort -u | wc -l)
[ "$widths" -eq 1 ] || fail "the route's columns do not line up:
$(cat stdout)"
"$tool" route save.b --from 10,20 >stdout
[ "$(head -n 1 stdout)" = 'stop  kind    index            x            y            z        leg      total' ] ||
  fail "the usual heading changed: $(head -n 1 stdout)"

[ "$failed" -eq 0 ] || exit 1
echo "package-tool command line: all checks passed"
