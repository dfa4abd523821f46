#!/usr/bin/env bash
# The add-in's time inside Outlook's budgets, under Wine: outlook-sim.exe --timings plays one
# session five times against the registered voxtrel.dll and this prints, as medians of the five
# runs, the add-in's time for OnConnection (start-up), for a new inspector with its bar and the
# six faces put on through the real clipboard and GDI (item open) and for an explorer selection
# change (folder switch), each as a share of Outlook's
# budget and against our aim; then, once, the Stop click of a one-minute recording up to the
# attachment. Figures only: it never fails on speed.
#   bench/outlook_timings.sh [BUILD_DIR]     (default build/windows; the DLL registered there,
#                                             e.g. by scripts/register-dll-under-wine.sh)
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(cd "${1:-$repo/build/windows}" && pwd)
sim=$build/bin/outlook-sim.exe
[[ -f $sim ]] || { echo "no $sim: build the windows preset first" >&2; exit 2; }
runs=5
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$repo/tests/outlook/sessions/files/voice.mp3" "$work/"
# Each measured action stands between waits, whose timing lines mark where it begins and ends.
cat >"$work/bench.session" <<'SESSION'
folder Inbox mail
mail m1 in Inbox sent subject Voices attach one.mp3 voice.mp3 attach two.mp3 voice.mp3
mail m2 in Inbox sent subject Other
start
wait 300
select m2
wait 300
open m1
wait 300
quit
SESSION
eval "$("$repo/scripts/wine-harness.sh" shell)"

# The add-in's milliseconds for: OnConnection, everything delivered during the open, and
# during the selection change.
measure() {
  (cd "$work" && wine "$sim" bench.session --timings 2>&1 >/dev/null) | tr -d '\r' |
    awk '/^timing wait / { block++; next }
         /^timing OnConnection / { connect += $(NF-1) }
         /^timing / && block == 1 { select_ms += $(NF-1) }
         /^timing / && block == 2 { open_ms += $(NF-1) }
         END { printf "%.3f %.3f %.3f\n", connect, open_ms, select_ms }'
}

median() { tr ' ' '\n' | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

connect=() open=() selection=()
for ((i = 0; i < runs; i++)); do
  read -r c o s < <(measure)
  connect+=("$c") open+=("$o") selection+=("$s")
done

report() {
  local what=$1 budget=$2 aim=$3
  shift 3
  local m
  m=$(echo "$*" | median)
  awk -v what="$what" -v m="$m" -v budget="$budget" -v aim="$aim" -v runs="$*" 'BEGIN {
    printf "%-42s median %8.3f ms = %5.2f%% of %4d ms; aim %2d ms: %s  (runs: %s)\n",
      what, m, 100 * m / budget, budget, aim, (m <= aim ? "met" : "missed"), runs }'
}
echo "The add-in under Wine, medians of $runs runs of outlook-sim.exe --timings:"
report "OnConnection (start-up)" 1000 50 "${connect[@]}"
report "new inspector with its bar and six faces" 500 25 "${open[@]}"
report "selection change (folder switch)" 500 10 "${selection[@]}"

# The Stop click of a one-minute recording: the device stopped, the WAV saved, the encoder run
# and the MP3 attached, all inside the click. One run: it takes a minute of real speech.
cat >"$work/stop.session" <<'SESSION'
folder Inbox mail
setting AQ 1
start
compose
click Record
wait 60000
click Stop
save new1 1 minute.mp3
quit
SESSION
stop_ms=$( (cd "$work" && wine "$sim" stop.session --timings 2>&1 >/dev/null) | tr -d '\r' |
  awk '/^timing Click of button "Record"/ { n++; if (n == 2) print $(NF-1) }')
seconds=$("$repo/tools/demo/mp3_facts.sh" "$work/minute.mp3" | sed -n 's/^seconds=//p')
awk -v ms="$stop_ms" -v s="$seconds" 'BEGIN {
  printf "%-42s %8.3f ms for %.1f s of speech; aim 700 ms: %s\n",
    "Stop click to the attachment", ms, s, (ms <= 700 ? "met" : "missed") }'
