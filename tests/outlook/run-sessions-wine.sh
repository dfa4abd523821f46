#!/usr/bin/env bash
# Plays every session file through outlook-sim.exe under the Wine harness, against the
# registered voxtrel.dll, and compares all it prints with the native expected file, setting aside
# only what wine-output.sh names. The sessions are played from a copy, so that what they save
# stays out of the source tree.
#   run-sessions-wine.sh OUTLOOK-SIM.EXE SESSIONS_FOLDER [OPTION...]   (e.g. --invoke)
set -uo pipefail
sim=$1 sessions=$2
shift 2
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$sessions"/. "$work"/
eval "$("$repo/scripts/wine-harness.sh" shell)"

source "$repo/tests/outlook/wine-output.sh"

played=0 failed=0
for session in "$work"/*.session; do
  name=$(basename "$session" .session)
  actual=$work/$name.actual
  (cd "$work" && wine "$sim" "$name.session" --trace "$@") </dev/null >"$actual" 2>&1
  status=$?
  ((status == 0)) || echo "exit $status" >>"$actual"
  played=$((played + 1))
  if diff -u --label "$name.expected" --label "$name under Wine" \
    <(normalise_wine_output "$work/$name.expected") <(normalise_wine_output "$actual"); then
    echo "session ok under Wine: $name"
  else
    failed=$((failed + 1))
  fi
done
echo "$played sessions played under Wine ${*:-}, $failed differ from the native run"
((played > 0 && failed == 0))
