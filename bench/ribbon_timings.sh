#!/usr/bin/env bash
# The Ribbon's calls into the add-in inside Outlook's item-open budget, under Wine:
# outlook-sim.exe --timings plays an Outlook 16.x session five times against the registered
# voxtrel.dll, opening a received message with two voice attachments, and this prints, as
# medians of the five runs, the add-in's time for GetCustomUI of the read form, for Office's
# look-ups of the callbacks' names, for every callback Office makes to show the group in that
# first inspector (its images included) and for the whole open, each against Outlook's 500 ms
# item-open budget and our aim; the explorer's Ribbon at start-up against the start-up budget.
# Figures only: it never fails on speed.
#   bench/ribbon_timings.sh [BUILD_DIR]     (default build/windows; the DLL registered there,
#                                            e.g. by scripts/register-dll-under-wine.sh)
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(cd "${1:-$repo/build/windows}" && pwd)
sim=$build/bin/outlook-sim.exe
[[ -f $sim ]] || { echo "no $sim: build the windows preset first" >&2; exit 2; }
runs=5
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$repo/tests/outlook/sessions/files/voice.mp3" "$work/"
# The open stands between two waits, whose timing lines mark where it begins and ends.
cat >"$work/bench.session" <<'SESSION'
version 16.0.17928.20114
shutdown-notification off
folder Inbox mail
mail m1 in Inbox sent subject Voices attach one.mp3 voice.mp3 attach two.mp3 voice.mp3
start
wait 300
open m1
wait 300
quit
SESSION
eval "$("$repo/scripts/wine-harness.sh" shell)"

# One run's milliseconds during the open: the read form's GetCustomUI, the name look-ups, the
# inspector's callbacks (and of them the images), the explorer's callbacks, everything; the
# inspector's callbacks' count; then the explorer's Ribbon at start-up (GetCustomUI, look-ups
# and callbacks).
measure() {
  (cd "$work" && wine "$sim" bench.session --timings 2>&1 >/dev/null) | tr -d '\r' |
    awk '/^timing wait / { block++; next }
         !/^timing / { next }
         block == 0 && /^timing (GetCustomUI|GetIDsOfNames|callback) / { startup += $(NF-1) }
         block == 1 { open_ms += $(NF-1) }
         block == 1 && /^timing GetCustomUI / { custom += $(NF-1) }
         block == 1 && /^timing GetIDsOfNames / { names += $(NF-1) }
         # The onLoad callback names no window: it comes with the read form Ribbon.
         block == 1 && /^timing callback / && (/ of inspector 1 / || !/ for /) {
           callbacks += $(NF-1); count++
           if (/^timing callback [A-Za-z_]*[Gg]et[Ii]mage /) images += $(NF-1)
         }
         block == 1 && /^timing callback .* of the explorer / { explorer += $(NF-1) }
         END { printf "%.3f %.3f %.3f %.3f %.3f %.3f %d %.3f\n",
                 custom, names, callbacks, images, explorer, open_ms, count, startup }'
}

median() { tr ' ' '\n' | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

custom=() names=() callbacks=() images=() explorer=() open=() startup=() counts=()
for ((i = 0; i < runs; i++)); do
  read -r c n b g e o k s < <(measure)
  custom+=("$c") names+=("$n") callbacks+=("$b") images+=("$g") explorer+=("$e") open+=("$o")
  counts+=("$k") startup+=("$s")
done

# An aim of 0 prints the share of the budget alone.
report() {
  local what=$1 budget=$2 aim=$3
  shift 3
  local m
  m=$(echo "$*" | median)
  awk -v what="$what" -v m="$m" -v budget="$budget" -v aim="$aim" -v runs="$*" 'BEGIN {
    verdict = aim > 0 ? sprintf("aim %2d ms: %s", aim, (m <= aim ? "met   " : "missed")) : "             "
    printf "%-52s median %8.3f ms = %5.2f%% of %4d ms; %s  (runs: %s)\n",
      what, m, 100 * m / budget, budget, verdict, runs }'
}
echo "The Ribbon's calls into the add-in under Wine (Outlook 16.x), medians of $runs runs of"
echo "outlook-sim.exe --timings; the first open of a received message:"
report "GetCustomUI (Microsoft.Outlook.Mail.Read)" 500 0 "${custom[@]}"
report "the callbacks' names looked up (GetIDsOfNames)" 500 0 "${names[@]}"
report "the first inspector's $(echo "${counts[@]}" | median) callbacks, images included" \
  500 25 "${callbacks[@]}"
report "  of which getImage" 500 0 "${images[@]}"
report "the explorer's group asked again meanwhile" 500 0 "${explorer[@]}"
report "the whole item open (NewInspector and Ribbon)" 500 25 "${open[@]}"
report "start-up: the explorer's Ribbon" 1000 0 "${startup[@]}"
