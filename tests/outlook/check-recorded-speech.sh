#!/usr/bin/env bash
# Real speech recorded under Wine through outlook-sim.exe and the registered voxtrel.dll: two
# compose windows recording at the same time (record-two-windows.session). What our code does is
# checked: the session prints what it prints natively (each window attaches its own Voxtrel.mp3,
# and the trace has the Stop, the saved Temp.wav, the encoder and the attachment in that order),
# each window encodes from a working folder of its own into a file of its own, each Stop click
# lasts at least the end-record delay (the device is stopped and saved only when that timer has
# fired), and each MP3 decodes at the device element's 11025 Hz, is not silent, is longer than
# the delay alone and no longer than its window was recording (with a quarter and half a second to
# spare: a longer one holds audio twice). How much audio Wine delivers in real time is the
# machine's: each length is printed against the time between its clicks, never checked.
#   check-recorded-speech.sh OUTLOOK-SIM.EXE
set -uo pipefail
sim=$1
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$repo/tests/outlook/sessions"/. "$work"/
eval "$("$repo/scripts/wine-harness.sh" shell)"
source "$repo/tests/outlook/wine-output.sh"

# frmAudio's end-record delay: the device goes on for half a second after the Stop click.
end_record_delay_ms=500
status=0
fail() {
  echo "FAIL: $*"
  status=1
}

(cd "$work" && wine "$sim" record-two-windows.session --trace --timings) </dev/null \
  >"$work/out" 2>"$work/err"
code=$?
{
  cat "$work/out"
  grep -v '^timing ' "$work/err"
  ((code == 0)) || echo "exit $code"
} >"$work/actual"
diff -u --label record-two-windows.expected --label "record-two-windows under Wine" \
  <(normalise_wine_output "$work/record-two-windows.expected") \
  <(normalise_wine_output "$work/actual") || fail "the session printed other than natively"

# Every timing in order. The Record button's four clicks: Record 1, Record 2, Stop 2, Stop 1.
mapfile -t names < <(sed -nE 's/^timing (.*) [0-9.]+ ms$/\1/p' "$work/err")
mapfile -t ms < <(sed -nE 's/^timing .* ([0-9.]+) ms$/\1/p' "$work/err")
clicks=()
for i in "${!names[@]}"; do
  [[ ${names[i]} == 'Click of button "Record" of inspector '[12] ]] && clicks+=("$i")
done
if ((${#clicks[@]} != 4)); then
  cat "$work/err"
  echo "FAIL: expected four clicks of the Record button, got ${#clicks[@]}"
  exit 1
fi
# The timings from index $1 to $2, in ms.
sum() { printf '%s\n' "${ms[@]:$1:$(($2 - $1 + 1))}" | awk '{ s += $1 } END { print s + 0 }'; }

# Each window's encoder line names the Temp.wav in its working folder.
mapfile -t folders < <(sed -nE 's/^SHELL: .* "([^"]*)\\Temp\.wav" .*/\1/p' "$work/out")
if ((${#folders[@]} != 2)) || [[ ${folders[0]} == "${folders[1]}" ]]; then
  fail "the windows did not encode from two working folders: ${folders[*]}"
fi
cmp -s "$work/first.mp3" "$work/second.mp3" && fail "both windows attached the same file"

check() { # NAME FILE FIRST_CLICK LAST_CLICK
  local facts seconds sample_rate rms_db
  facts=$("$repo/tools/demo/mp3_facts.sh" "$work/$2") || {
    fail "$1: $2 does not decode"
    return
  }
  eval "$facts"
  awk -v name="$1" -v s="$seconds" -v rate="$sample_rate" -v rms="$rms_db" \
    -v between="$(sum $(($3 + 1)) $(($4 - 1)))" -v span="$(sum "$3" "$4")" -v stop="${ms[$4]}" \
    -v delay="$end_record_delay_ms" '
  function wrong(what) { printf "FAIL: %s: %s\n", name, what; bad = 1 }
  BEGIN {
    printf "%s: %.2f s decoded (loudness %s dB) for %.2f s between its clicks and the %.1f s",
      name, s, rms, between / 1000, delay / 1000
    printf " end-record delay, %.2f s: %+.0f%%, as Wine delivered it; Stop click %.2f s\n",
      (between + delay) / 1000, (s * 1000 / (between + delay) - 1) * 100, stop / 1000
    if (stop < delay) wrong(sprintf("Stop click of %.3f s: saved before the delay", stop / 1000))
    if (rate != 11025) wrong("decoded at " rate " Hz, not at the 11025 Hz of R.wav")
    if (rms == "-inf" || rms + 0 <= -60) wrong("silent (" rms " dB)")
    if (s <= delay / 1000) wrong(sprintf("%.2f s, not even the end-record delay", s))
    high = 1.25 * span / 1000 + 0.5
    if (s > high) wrong(sprintf("%.2f s, more than the %.2f s it could have recorded", s, high))
    exit bad
  }' || status=1
}
check "second window" second.mp3 "${clicks[1]}" "${clicks[2]}"
check "first window" first.mp3 "${clicks[0]}" "${clicks[3]}"
exit "$status"
