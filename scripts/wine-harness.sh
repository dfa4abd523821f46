#!/usr/bin/env bash
# The Wine harness for the Windows build: a scratch prefix, a virtual display started before
# the first wine call, and a wineserver kept alive for the whole run.
#
#   wine-harness.sh start                 set everything up (idempotent)
#   wine-harness.sh stop                  stop the wineserver and the display
#   wine-harness.sh run PROGRAM [ARGS]    start if needed, run one Windows program or test
#   wine-harness.sh exec PROGRAM [ARGS]   run inside a started harness (CTest's emulator)
#   wine-harness.sh ctest [ARGS]          start, run the windows build's CTest, stop
#   wine-harness.sh shell                 print the environment for wine calls by hand
#
# Test programs end with the line "VOXTREL-TEST-END <code>"; exec fails a program that exits
# without it, since Wine can exit 0 after a crash.
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
scratch=${VOXTREL_WINE_SCRATCH:-$repo/build/wine}
state=$scratch/state.env
marker=VOXTREL-TEST-END

wine_env() {
  export WINEPREFIX=$scratch/prefix WINEARCH=win64 WINEDEBUG=${WINEDEBUG:--all}
  export WINEDLLOVERRIDES="mscoree=d;mshtml=d;winemenubuilder.exe=d"
  export HOME=$scratch/home XDG_RUNTIME_DIR=$scratch/run
  export XDG_CONFIG_HOME=$scratch/config XDG_CACHE_HOME=$scratch/cache
  # Set even without a sound server, so libpulse does not start one of its own.
  export PULSE_SERVER=unix:$scratch/pulse/native
  if [[ -f $state ]]; then
    # shellcheck source=/dev/null
    source "$state"
  fi
}

running() {
  [[ -f $state ]] || return 1
  # shellcheck source=/dev/null
  (source "$state" && kill -0 "$VOXTREL_XVFB_PID" 2>/dev/null)
}

start_display() {
  local displayfile=$scratch/display
  rm -f "$displayfile"
  Xvfb -displayfd 3 -nolisten tcp -screen 0 1280x1024x24 3>"$displayfile" >/dev/null 2>&1 &
  local pid=$!
  for _ in $(seq 100); do
    [[ -s $displayfile ]] && break
    sleep 0.1
  done
  [[ -s $displayfile ]] || { echo "wine-harness: Xvfb did not start" >&2; exit 1; }
  printf 'export DISPLAY=:%s\nVOXTREL_XVFB_PID=%s\n' "$(tr -d '\n' <"$displayfile")" "$pid" >"$state"
}

start() {
  if running; then return 0; fi
  mkdir -p "$scratch"/{home,run,config,cache,pulse}
  chmod 700 "$scratch/run"
  start_display
  wine_env
  mkdir -p "$WINEPREFIX"
  wineserver -p
  if [[ ! -f $WINEPREFIX/system.reg ]]; then
    echo "wine-harness: preparing a Wine prefix in $WINEPREFIX" >&2
  fi
  wine wineboot -i >/dev/null 2>&1
}

stop() {
  wine_env
  if [[ -d ${WINEPREFIX:-/nonexistent} ]]; then wineserver -k >/dev/null 2>&1 || true; fi
  if [[ -f $state ]]; then
    kill "${VOXTREL_XVFB_PID:-0}" 2>/dev/null || true
    rm -f "$state"
  fi
}

exec_program() {
  wine_env
  local out rc=0 listing=0
  out=$(mktemp)
  for arg in "$@"; do [[ $arg == --gtest_list_tests ]] && listing=1; done
  wine "$@" >"$out" || rc=$?
  tr -d '\r' <"$out"
  local last
  last=$(tr -d '\r' <"$out" | grep -v '^$' | tail -n 1 || true)
  rm -f "$out"
  if ((listing)); then return "$rc"; fi
  if [[ $last != "$marker "* ]]; then
    echo "wine-harness: $(basename "$1") ended without its final line (exit code $rc): crashed?" >&2
    return 1
  fi
  if [[ $last != "$marker 0" ]]; then return 1; fi
  return "$rc"
}

command=${1:-}
shift || true
case $command in
  start) start ;;
  stop) stop ;;
  exec) exec_program "$@" ;;
  run)
    start
    exec_program "$@"
    ;;
  ctest)
    start
    trap stop EXIT
    (cd "$repo/build/windows" && ctest "$@")
    ;;
  shell)
    start
    wine_env
    for name in WINEPREFIX WINEARCH WINEDEBUG WINEDLLOVERRIDES DISPLAY HOME XDG_RUNTIME_DIR \
      XDG_CONFIG_HOME XDG_CACHE_HOME PULSE_SERVER; do
      printf 'export %s=%q\n' "$name" "${!name}"
    done
    ;;
  *)
    sed -n '2,14p' "${BASH_SOURCE[0]}" | sed 's/^# \{0,1\}//'
    exit 2
    ;;
esac
