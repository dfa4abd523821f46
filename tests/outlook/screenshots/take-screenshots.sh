#!/usr/bin/env bash
# Plays screenshots.session (Outlook 2000's command bar) and screenshots-ribbon.session (Outlook
# 16.x's Ribbon) through outlook-sim.exe under the Wine harness against the registered
# voxtrel.dll, checks each picture they take (a whole PNG of the screen's size, not one colour;
# the Ribbon's pictures show its group) and copies them to OUTPUT_FOLDER.
#   take-screenshots.sh OUTLOOK-SIM.EXE OUTPUT_FOLDER
set -uo pipefail
sim=$1 output=$2
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repo=$(cd "$here/../../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$here/screenshots.session" "$here/screenshots-ribbon.session" "$work"/
cp -r "$repo/tests/outlook/sessions/files" "$work"/
eval "$("$repo/scripts/wine-harness.sh" shell)"

for session in screenshots.session screenshots-ribbon.session; do
  (cd "$work" && wine "$sim" "$session") </dev/null >"$work/out" 2>&1 ||
    { cat "$work/out"; echo "FAIL: $session did not end well"; exit 1; }
done
read -r width height < <(xdpyinfo -display "$DISPLAY" | sed -nE 's/^ *dimensions: *([0-9]+)x([0-9]+) .*/\1 \2/p')
mkdir -p "$output"
status=0
for name in ready recording compose dialog received ribbon-compose ribbon-inline-reply; do
  ribbon=()
  [[ $name == ribbon-* ]] && ribbon=(--ribbon)
  python3 "$here/check_png.py" "$work/$name.png" "$width" "$height" "${ribbon[@]}" || status=1
  cp "$work/$name.png" "$output"/ 2>/dev/null
done
((status == 0)) && echo "screenshots in $output"
exit "$status"
