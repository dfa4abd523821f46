#!/usr/bin/env bash
# Plays one session through outlook-sim and compares its whole output with the expected file
# (see sessions.cmake). UPDATE=1 writes the expected file instead of comparing.
set -uo pipefail
sim=$1 session=$2
expected=${session%.session}.expected
actual=$(mktemp)
trap 'rm -f "$actual"' EXIT
"$sim" "$session" --trace >"$actual" 2>&1
status=$?
((status == 0)) || echo "exit $status" >>"$actual"
if [[ ${UPDATE:-0} == 1 ]]; then
  cp "$actual" "$expected"
  echo "wrote $expected"
  exit 0
fi
diff -u "$expected" "$actual" && echo "session ok: $(basename "$session")"
