#!/usr/bin/env bash
# Real speech recorded under Wine through outlook-sim.exe and the registered voxtrel.dll: two
# compose windows recording at the same time (record-two-windows.session), both attachments
# saved and decoded natively. Each must be its own window's recording, as long as that window
# recorded: the device goes on for the end-record delay (half a second) after the Stop click, so
# at least 90% of the time between its Record and Stop clicks plus that delay, and at most 110%
# of that time plus the Stop click's own, as outlook-sim.exe measured them (--timings). The
# lengths against the session's nominal waits and the loudness are printed: they are the
# machine's.
#   check-recorded-speech.sh OUTLOOK-SIM.EXE
set -uo pipefail
sim=$1
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$repo/tests/outlook/sessions"/. "$work"/
eval "$("$repo/scripts/wine-harness.sh" shell)"

(cd "$work" && wine "$sim" record-two-windows.session --timings) </dev/null >"$work/out" \
  2>"$work/timings" || { cat "$work/out" "$work/timings"; echo "FAIL: the session did not end well"; exit 1; }

# In the session's order: Record 1, wait, Record 2, wait, Stop 2, Stop 1.
mapfile -t ms < <(sed -nE 's/^timing (wait|Click of button "Record" of inspector [12]) ([0-9.]+) ms$/\2/p' "$work/timings")
((${#ms[@]} == 6)) || { cat "$work/timings"; echo "FAIL: expected 6 timings, got ${#ms[@]}"; exit 1; }
read -r wait1 click2 wait2 stop2 stop1 <<<"${ms[1]} ${ms[2]} ${ms[3]} ${ms[4]} ${ms[5]}"

# frmAudio's end-record delay: the recording's last half second after the Stop click.
end_record_delay_ms=500
status=0
check() { # NAME FILE BETWEEN_MS STOP_MS NOMINAL_MS
  local facts seconds rms_db
  facts=$("$repo/tools/demo/mp3_facts.sh" "$work/$2") || { echo "FAIL: $1 does not decode"; status=1; return; }
  eval "$facts"
  awk -v name="$1" -v s="$seconds" -v between="$3" -v stop="$4" -v nominal="$5" -v rms="$rms_db" \
    -v delay="$end_record_delay_ms" 'BEGIN {
    printf "%s: %.2f s decoded, %.2f s between the clicks, %.2f s in the Stop click; %+.0f%% against the nominal %.1f s and the delay; loudness %s dB\n",
      name, s, between / 1000, stop / 1000, (s * 1000 / (nominal + delay) - 1) * 100, nominal / 1000, rms
    low = 0.9 * (between + delay) / 1000; high = 1.1 * (between + stop) / 1000
    if (s < low || s > high) { printf "FAIL: %s outside %.2f to %.2f s\n", name, low, high; exit 1 }
  }' || status=1
}
check "second window" second.mp3 "$wait2" "$stop2" 3000
check "first window" first.mp3 "$(awk -v a="$wait1" -v b="$click2" -v c="$wait2" -v d="$stop2" 'BEGIN { print a + b + c + d }')" "$stop1" 4500
cmp -s "$work/first.mp3" "$work/second.mp3" && { echo "FAIL: both windows attached the same file"; status=1; }
exit "$status"
