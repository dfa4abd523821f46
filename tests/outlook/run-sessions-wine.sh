#!/usr/bin/env bash
# Plays every session file through outlook-sim.exe under the Wine harness, against the
# registered voxtrel.dll, and compares all it prints with the native expected file; the trace
# log's path and the date of its first line are the only parts that may differ. The sessions
# are played from a copy, so that what they save stays out of the source tree.
#   run-sessions-wine.sh OUTLOOK-SIM.EXE SESSIONS_FOLDER [OPTION...]   (e.g. --invoke)
set -uo pipefail
sim=$1 sessions=$2
shift 2
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$sessions"/. "$work"/
eval "$("$repo/scripts/wine-harness.sh" shell)"

# Also what real recordings vary in: an encoded message's size, and where the encoder and the
# working folders lie (their short names included); and what Wine's sound libraries print.
normalise() {
  sed -E -e 's/^trace [A-Za-z]:\\.*$/trace PATH/' \
    -e '/^ALSA lib /d' \
    -e 's/"Voxtrel\.mp3" [0-9]+/"Voxtrel.mp3" SIZE/g' \
    -e '/^SHELL: /s/^SHELL: .*\\Wav2Mp3\.exe /SHELL: ...\\Wav2Mp3.exe /' \
    -e '/^SHELL: /s/"[^"]*\\([^"\\]*)"/"...\\\1"/g' \
    -e 's/^TraceWrite [A-Za-z]:\\.*, [0-9/]+ [0-9:]+ [AP]M\\r -------------$/TraceWrite PATH, DATE\\r -------------/' \
    "$1"
}

played=0 failed=0
for session in "$work"/*.session; do
  name=$(basename "$session" .session)
  actual=$work/$name.actual
  (cd "$work" && wine "$sim" "$name.session" --trace "$@") </dev/null >"$actual" 2>&1
  status=$?
  ((status == 0)) || echo "exit $status" >>"$actual"
  played=$((played + 1))
  if diff -u --label "$name.expected" --label "$name under Wine" <(normalise "$work/$name.expected") \
    <(normalise "$actual"); then
    echo "session ok under Wine: $name"
  else
    failed=$((failed + 1))
  fi
done
echo "$played sessions played under Wine ${*:-}, $failed differ from the native run"
((played > 0 && failed == 0))
