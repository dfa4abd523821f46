#!/usr/bin/env bash
# Plays every session file natively with Outlook's events handed to their subscribers in the
# reverse of the order they subscribed: each must print exactly what its expected file holds.
#   run-sessions-reverse.sh OUTLOOK-SIM SESSIONS_FOLDER
set -uo pipefail
sim=$1 sessions=$2
actual=$(mktemp)
trap 'rm -f "$actual"' EXIT
played=0 failed=0
for session in "$sessions"/*.session; do
  name=$(basename "$session" .session)
  (cd "$sessions" && "$sim" "$name.session" --trace --events reverse) >"$actual" 2>&1
  status=$?
  ((status == 0)) || echo "exit $status" >>"$actual"
  played=$((played + 1))
  if ! diff -u --label "$name.expected" --label "$name, events reversed" "$sessions/$name.expected" \
    "$actual"; then
    failed=$((failed + 1))
  fi
done
echo "$played sessions played with events reversed, $failed differ"
((played > 0 && failed == 0))
