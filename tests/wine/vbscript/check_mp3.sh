#!/usr/bin/env bash
# The MP3 the VBScript session recorded under Wine, decoded natively, at the stand-alone rate
# and titled. Its length and loudness (the script records for about 4 s) are the machine's
# real-time capture: printed, not checked.
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
[[ $sample_rate == 11025 ]] || fail "sample rate $sample_rate, not the stand-alone 11025 Hz"
[[ $title == "Vox Trel VBScript session" ]] || fail "title '$title'"
exit "$status"
