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
  # Without winedbg a crash ends the program at once instead of hanging until a timeout.
  export WINEDLLOVERRIDES="mscoree=d;mshtml=d;winemenubuilder.exe=d;winedbg.exe=d"
  export HOME=$scratch/home XDG_RUNTIME_DIR=$scratch/run
  export XDG_CONFIG_HOME=$scratch/config XDG_CACHE_HOME=$scratch/cache
  # Set even without a sound server, so libpulse does not start one of its own.
  # VOXTREL_WINE_NO_AUDIO=1 points a program (or the whole harness) at no server: no device.
  export PULSE_SERVER=unix:$scratch/pulse/native
  if [[ ${VOXTREL_WINE_NO_AUDIO:-0} == 1 ]]; then export PULSE_SERVER=unix:$scratch/pulse/none; fi
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

# Spoken text, normalised: the capture device's endless input.
speech_sample() {
  [[ -s $1 ]] && return 0
  espeak-ng -s 160 -w "$1.raw.wav" "Hello, this is Vox Trel. The quick brown fox jumps over \
the lazy dog. Please call me back this afternoon about the meeting on Thursday. Goodbye."
  sox "$1.raw.wav" "$1" norm -3
  rm -f "$1.raw.wav"
}

# A real-time capture device for Wine (whose MCI waveaudio recording is broken, waveIn is not):
# a PulseAudio null sink whose monitor is the default source, fed with looping speech.
start_audio() {
  local pulse=$scratch/pulse
  # A server left by a harness whose display died holds the pid file in $XDG_RUNTIME_DIR.
  pulseaudio --kill >/dev/null 2>&1 || true
  rm -f "$pulse/native"
  cat >"$pulse/default.pa" <<EOF
load-module module-native-protocol-unix auth-anonymous=1 socket=$pulse/native srbchannel=no
load-module module-null-sink sink_name=nullsink
set-default-sink nullsink
set-default-source nullsink.monitor
EOF
  # Real-time scheduling where allowed: a starved null sink drops seconds of captured audio
  # when the tests load both cores.
  pulseaudio --daemonize=no --disable-shm=yes --realtime=yes --exit-idle-time=-1 -n \
    -F "$pulse/default.pa" --log-target=file:"$pulse/pulseaudio.log" >/dev/null 2>&1 &
  printf 'VOXTREL_PULSE_PID=%s\n' "$!" >>"$state"
  for _ in $(seq 100); do
    pactl info >/dev/null 2>&1 && break
    sleep 0.1
  done
  pactl info >/dev/null 2>&1 || { echo "wine-harness: PulseAudio did not start" >&2; exit 1; }
  speech_sample "$pulse/speech.wav"
  # A low latency makes the null sink render in small blocks (else up to 2 s), so captured
  # audio arrives steadily. The loop ends by itself when the server goes away.
  (while paplay --latency-msec=20 "$pulse/speech.wav"; do :; done) >/dev/null 2>&1 &
  printf 'VOXTREL_FEED_PID=%s\n' "$!" >>"$state"
}

start() {
  if running; then return 0; fi
  mkdir -p "$scratch"/{home,run,config,cache,pulse}
  chmod 700 "$scratch/run"
  start_display
  wine_env
  if [[ ${VOXTREL_WINE_NO_AUDIO:-0} != 1 ]]; then start_audio; fi
  mkdir -p "$WINEPREFIX"
  wineserver -p
  if [[ ! -f $WINEPREFIX/system.reg ]]; then
    echo "wine-harness: preparing a Wine prefix in $WINEPREFIX" >&2
  fi
  # A plain boot: "wineboot -i" starts a second services.exe, and with two service managers
  # RpcSs fails to start, stalling every desktop start (explorer.exe) for 10 s.
  wine wineboot >/dev/null 2>&1
  # Xvfb has no window manager; unmanaged windows hide at once instead of after a 2 s wait.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
}

stop() {
  wine_env
  if [[ -d ${WINEPREFIX:-/nonexistent} ]]; then wineserver -k >/dev/null 2>&1 || true; fi
  if [[ -f $state ]]; then
    # An unset id must not become "kill 0", which would end the caller's process group.
    local pid
    for pid in "${VOXTREL_FEED_PID:-}" "${VOXTREL_PULSE_PID:-}" "${VOXTREL_XVFB_PID:-}"; do
      [[ -n $pid ]] && kill "$pid" 2>/dev/null || true
    done
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
