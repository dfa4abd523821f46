#!/usr/bin/env bash
# Runs the Windows test suite under Wine several times in a row, each run with a fresh harness
# (started and stopped as CI does), and tallies which runs had failures and which tests failed.
#
#   wine-suite-repeat.sh [--runs N] [--loaded] [BUILD_DIR] [-- CTEST_ARGS...]
#
#   --runs N     how many runs (default 10)
#   --loaded     keep every core busy during the runs (one busy loop per core)
#   BUILD_DIR    the configured and built windows build (default $VOXTREL_WINE_BUILD or
#                build/windows)
#   CTEST_ARGS   passed to ctest (default: -j1 -V --timeout 600: one at a time as CI, with every
#                test's output, so the logs hold the real-time figures the tests print)
#
# The harness's scratch folder is $VOXTREL_WINE_SCRATCH (default build/wine). Logs go to
# BUILD_DIR/repeat-logs/run-I.log. Exits 1 when a run had failures.
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
runs=10
loaded=0
build=${VOXTREL_WINE_BUILD:-$repo/build/windows}
ctest_args=(-j1 -V --timeout 600)

usage() {
  sed -n '2,14p' "${BASH_SOURCE[0]}" | sed 's/^# \{0,1\}//' >&2
  exit 2
}

while (($#)); do
  case $1 in
    --runs)
      [[ ${2:-} =~ ^[1-9][0-9]*$ ]] || usage
      runs=$2
      shift 2
      ;;
    --loaded)
      loaded=1
      shift
      ;;
    --)
      shift
      ctest_args=("$@")
      break
      ;;
    -h | --help) usage ;;
    -*) usage ;;
    *)
      build=$1
      shift
      ;;
  esac
done

[[ $build == /* ]] || build=$PWD/$build
[[ -f $build/CTestTestfile.cmake ]] || {
  echo "wine-suite-repeat: $build is not a configured windows build" >&2
  exit 2
}
export VOXTREL_WINE_BUILD=$build
logs=$build/repeat-logs
mkdir -p "$logs"

# One busy loop per core, each in a process of its own, ended by id when the script ends.
busy=()
stop_load() {
  local pid
  for pid in "${busy[@]}"; do kill "$pid" 2>/dev/null || true; done
  busy=()
}
trap stop_load EXIT
if ((loaded)); then
  for _ in $(seq "$(nproc)"); do
    yes >/dev/null &
    busy+=("$!")
  done
  echo "loading $(nproc) cores (busy loops ${busy[*]})"
fi

# The names of the failed tests from ctest's closing list ("  12 - Name (Failed)").
failed_tests() {
  sed -n '/The following tests FAILED:/,$p' "$1" |
    sed -n 's/^[[:space:]]*[0-9]\{1,\} - \(.*\) ([^)]*)[[:space:]]*$/\1/p' | paste -sd ' ' -
}

clean=0
results=()
for run in $(seq "$runs"); do
  log=$logs/run-$run.log
  start=$SECONDS
  status=0
  "$repo/scripts/wine-harness.sh" ctest "${ctest_args[@]}" >"$log" 2>&1 || status=$?
  summary=$(grep -E 'tests passed, [0-9]+ tests failed out of' "$log" | tail -n 1 || true)
  failed=$(failed_tests "$log")
  # The first recording's real-time ratio: what the machine delivered, for the record.
  ratio=$(grep -o '(real-time ratio [0-9.]*)' "$log" | head -n 1 |
    sed 's/.*ratio \([0-9.]*\))/, capture ran at \1 of real time/' || true)
  if ((status == 0)) && [[ -n $summary && -z $failed ]]; then
    line="run $run: passed (${summary## }, $((SECONDS - start)) s$ratio)"
    clean=$((clean + 1))
  else
    line="run $run: failed (${summary:-no ctest summary, exit code $status}, $((SECONDS - start)) s$ratio)"
    [[ -n $failed ]] && line+=": $failed"
  fi
  results+=("$line")
  echo "$line"
done

echo
printf '%s\n' "${results[@]}"
echo "$runs runs: $clean clean, $((runs - clean)) with failures$( ((loaded)) && echo ' (loaded)')"
echo "logs: $logs"
((clean == runs))
