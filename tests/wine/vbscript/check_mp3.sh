#!/usr/bin/env bash
# The MP3 the VBScript session recorded under Wine, decoded natively: about as long as the
# script recorded (a 4 s pause between its two recordMp3 calls), not silence, titled.
#
#   check_mp3.sh FILE.mp3
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)
facts=$("$repo/tools/demo/mp3_facts.sh" "$1")
echo "$facts"
eval "$facts"

status=0
fail() {
  echo "FAIL: $*" >&2
  status=1
}
awk -v s="$seconds" 'BEGIN { exit !(s >= 3.0 && s <= 8.0) }' ||
  fail "it lasts $seconds s; the script recorded for about 4 s"
[[ $sample_rate == 11025 ]] || fail "sample rate $sample_rate, not the stand-alone 11025 Hz"
# The fed speech is normalised to -3 dB peak; its RMS sits near -20 dB, silence far below.
awk -v r="$rms_db" 'BEGIN { exit !(r != "-inf" && r + 0 > -45) }' ||
  fail "RMS level $rms_db dB: silence"
[[ $title == "Vox Trel VBScript session" ]] || fail "title '$title'"
exit "$status"
