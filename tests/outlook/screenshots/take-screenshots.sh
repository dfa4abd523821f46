#!/usr/bin/env bash
# Plays screenshots.session through outlook-sim.exe under the Wine harness against the
# registered voxtrel.dll, checks each picture it takes (a whole PNG of the screen's size, not one
# colour) and copies them to OUTPUT_FOLDER.
#   take-screenshots.sh OUTLOOK-SIM.EXE OUTPUT_FOLDER
set -uo pipefail
sim=$1 output=$2
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repo=$(cd "$here/../../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$here/screenshots.session" "$work"/
cp -r "$repo/tests/outlook/sessions/files" "$work"/
eval "$("$repo/scripts/wine-harness.sh" shell)"

(cd "$work" && wine "$sim" screenshots.session) </dev/null >"$work/out" 2>&1 ||
  { cat "$work/out"; echo "FAIL: the session did not end well"; exit 1; }
read -r width height < <(xdpyinfo -display "$DISPLAY" | sed -nE 's/^ *dimensions: *([0-9]+)x([0-9]+) .*/\1 \2/p')
mkdir -p "$output"
status=0
for name in ready recording compose dialog received; do
  python3 "$here/check_png.py" "$work/$name.png" "$width" "$height" || status=1
  cp "$work/$name.png" "$output"/ 2>/dev/null
done
((status == 0)) && echo "screenshots in $output"
exit "$status"
