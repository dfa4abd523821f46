#!/usr/bin/env bash
# Runs a VBScript client with the Wine harness's cscript and judges it by its result file: cscript
# exits 0 even after a script error, so the script's own last line is the verdict.
#
#   run_vbscript_test.sh SCRIPT.vbs MP3_PATH
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)
script=$1
mp3=$2
windows_path() { printf 'Z:%s' "${1//\//\\}"; }

eval "$("$repo/scripts/wine-harness.sh" shell)"
results=$(mktemp --suffix=.txt)
trap 'rm -f "$results"' EXIT

start=$SECONDS
# Output to a file, not CTest's pipe, which a process Wine starts on the way could hold open.
wine cscript //nologo "$(windows_path "$script")" "$(windows_path "$results")" \
  "$(windows_path "$mp3")" </dev/null >"$results.out" 2>&1 || true
tr -d '\r' <"$results.out"
rm -f "$results.out"
tr -d '\r' <"$results"
echo "($((SECONDS - start)) s)"
last=$(tr -d '\r' <"$results" | grep -v '^$' | tail -n 1 || true)
if [[ $last != "VOXTREL-VBS-END "* ]]; then
  echo "$(basename "$script") stopped before its end: a script error?" >&2
  exit 1
fi
[[ $last == "VOXTREL-VBS-END 0" ]]
