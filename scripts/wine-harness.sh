#!/usr/bin/env bash
# The Wine harness for the Windows build: a scratch prefix, a virtual display started before
# the first wine call, a wineserver kept alive for the whole run, and a capture device fed
# with speech.
#
#   wine-harness.sh start                 start what is missing or has died (idempotent)
#   wine-harness.sh stop                  stop everything it started
#   wine-harness.sh status                which of its processes run (exit 1 if one is missing)
#   wine-harness.sh run PROGRAM [ARGS]    start if needed, run one Windows program or test
#   wine-harness.sh exec PROGRAM [ARGS]   run inside a started harness (CTest's emulator)
#   wine-harness.sh ctest [ARGS]          start, run CTest in the windows build, stop
#   wine-harness.sh shell                 print the environment for wine calls by hand
#
# VOXTREL_WINE_SCRATCH   the scratch folder (default build/wine)
# VOXTREL_WINE_BUILD     the windows build that ctest runs (default build/windows)
# VOXTREL_WINE_NO_AUDIO  1: start no sound server; on exec or run, that program sees none
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
  load_state
}

# The display and the ids of the processes the harness started.
load_state() {
  DISPLAY='' VOXTREL_XVFB_PID='' VOXTREL_PULSE_PID='' VOXTREL_FEED_PID=''
  VOXTREL_WINESERVER_PID=''
  if [[ -f $state ]]; then
    # shellcheck source=/dev/null
    source "$state"
  fi
  if [[ -n $DISPLAY ]]; then export DISPLAY; fi
}

# Written whole and renamed, so a program starting meanwhile reads the old or the new state.
save_state() {
  cat >"$state.new" <<EOF
DISPLAY=$DISPLAY
VOXTREL_XVFB_PID=$VOXTREL_XVFB_PID
VOXTREL_PULSE_PID=$VOXTREL_PULSE_PID
VOXTREL_FEED_PID=$VOXTREL_FEED_PID
VOXTREL_WINESERVER_PID=$VOXTREL_WINESERVER_PID
EOF
  mv -f "$state.new" "$state"
}

# True while process $1 runs the program named $2 (a pattern). A dead child of this shell
# stays a zombie until reaped, and a reused id runs another program: neither counts.
alive() {
  local stat
  [[ -n $1 ]] && stat=$(cat "/proc/$1/stat" 2>/dev/null) || return 1
  # shellcheck disable=SC2053
  [[ ${stat#* (} == $2") "[^ZX]* ]]
}

xvfb_alive() { alive "$VOXTREL_XVFB_PID" Xvfb; }
pulse_alive() { alive "$VOXTREL_PULSE_PID" pulseaudio; }
feed_alive() { alive "$VOXTREL_FEED_PID" bash; }
wineserver_alive() { alive "$VOXTREL_WINESERVER_PID" 'wineserver*'; }

start_display() {
  local displayfile=$scratch/display
  rm -f "$displayfile"
  Xvfb -displayfd 3 -nolisten tcp -screen 0 1280x1024x24 3>"$displayfile" >/dev/null 2>&1 &
  VOXTREL_XVFB_PID=$!
  for _ in $(seq 100); do
    [[ -s $displayfile ]] && break
    sleep 0.1
  done
  [[ -s $displayfile ]] || { echo "wine-harness: Xvfb did not start" >&2; exit 1; }
  DISPLAY=:$(tr -d '\n' <"$displayfile")
  export DISPLAY
  save_state
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
# a PulseAudio null sink whose monitor is the default source.
start_pulse() {
  local pulse=$scratch/pulse
  # A server left by an earlier harness holds the pid file in $XDG_RUNTIME_DIR.
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
  VOXTREL_PULSE_PID=$!
  save_state
  for _ in $(seq 100); do
    pactl info >/dev/null 2>&1 && break
    sleep 0.1
  done
  pactl info >/dev/null 2>&1 || { echo "wine-harness: PulseAudio did not start" >&2; exit 1; }
}

# Looping speech into the null sink as one endless stream, in a process group of its own so
# that stopping it also stops the sox and pacat it runs. Its low latency makes the null sink
# render in small blocks, so captured audio arrives steadily. Never a new stream for each round:
# with no stream asking for a low latency, the null sink renders two seconds ahead at once, and a
# capture started in the next two seconds got nothing until real time caught up with it (a
# recording started just after the sample began again was up to two seconds short). The pipe
# ends by itself when the server goes.
start_feed() {
  local sample=$scratch/pulse/speech.wav
  speech_sample "$sample"
  # shellcheck disable=SC2016
  setsid bash -c 'sox -q "$1" -t raw -r 22050 -c 1 -b 16 -e signed - repeat - |
    pacat --raw --format=s16le --rate=22050 --channels=1 --latency-msec=20' feed "$sample" \
    </dev/null >/dev/null 2>&1 &
  VOXTREL_FEED_PID=$!
  save_state
}

stop_feed() {
  if feed_alive; then kill -- "-$VOXTREL_FEED_PID" 2>/dev/null || true; fi
  VOXTREL_FEED_PID=''
}

# The loudest 16-bit sample in a quarter second read from the capture device.
capture_peak() {
  { timeout 5 parec --device=nullsink.monitor --raw --format=s16le --rate=11025 --channels=1 \
    2>/dev/null || true; } | head -c 5512 | od -An -v -td2 -w2 |
    awk '{ v = $1 < 0 ? -$1 : $1; if (v > m) m = v } END { print m + 0 }'
}

# The first recording must not catch the feed starting: wait until speech comes out of the
# capture device (about -30 dB of full scale; speech peaks near -3 dB, silence reads 0).
await_sound() {
  local peak=0
  for _ in $(seq 120); do
    peak=$(capture_peak)
    ((peak > 1000)) && return 0
    feed_alive || break
  done
  echo "wine-harness: the capture device delivers no sound (peak $peak)" >&2
  exit 1
}

# The server and the feed; a feed without its server is useless, and a server without its
# feed records silence.
ensure_audio() {
  if pulse_alive && feed_alive; then return 0; fi
  if ! pulse_alive; then
    stop_feed
    start_pulse
  fi
  feed_alive || start_feed
  await_sound
}

# The id of the wineserver serving this prefix: the one working in the prefix's server folder.
find_wineserver() {
  local folder pid
  folder=$(printf 'server-%x-%x' "$(stat -c %d "$WINEPREFIX")" "$(stat -c %i "$WINEPREFIX")")
  for pid in /proc/[0-9]*; do
    pid=${pid#/proc/}
    alive "$pid" 'wineserver*' || continue
    [[ $(readlink "/proc/$pid/cwd" 2>/dev/null) == */"$folder" ]] && { echo "$pid"; return 0; }
  done
  return 1
}

ensure_wineserver() {
  wineserver_alive && return 0
  for _ in $(seq 100); do
    # Exits at once with code 2 while a server runs for the prefix.
    wineserver -p >/dev/null 2>&1 || true
    VOXTREL_WINESERVER_PID=$(find_wineserver) && break
    sleep 0.1
  done
  wineserver_alive || { echo "wine-harness: wineserver did not start" >&2; exit 1; }
  save_state
}

start_fresh() {
  stop_processes
  mkdir -p "$scratch"/{home,run,config,cache,pulse}
  chmod 700 "$scratch/run"
  start_display
  wine_env
  mkdir -p "$WINEPREFIX"
  if [[ ${VOXTREL_WINE_NO_AUDIO:-0} != 1 ]]; then ensure_audio; fi
  ensure_wineserver
  if [[ ! -f $WINEPREFIX/system.reg ]]; then
    echo "wine-harness: preparing a Wine prefix in $WINEPREFIX" >&2
  fi
  # A plain boot: "wineboot -i" starts a second services.exe, and with two service managers
  # RpcSs fails to start, stalling every desktop start (explorer.exe) for 10 s.
  wine wineboot >/dev/null 2>&1
  # Xvfb has no window manager; unmanaged windows hide at once instead of after a 2 s wait.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
}

# Restarts what has died. Without the display everything goes: Wine's desktop process keeps
# the display it started with.
restart_what_died() {
  wine_env
  if ! xvfb_alive; then
    start_fresh
    return
  fi
  if [[ ${VOXTREL_WINE_NO_AUDIO:-0} != 1 ]]; then ensure_audio; fi
  ensure_wineserver
}

# One caller at a time (CTest may run programs side by side); the processes started under the
# lock must not inherit it (flock -o), or it would never be released.
start() {
  mkdir -p "$scratch"
  VOXTREL_WINE_SCRATCH=$scratch flock -o "$scratch/harness.lock" \
    bash "${BASH_SOURCE[0]}" restart-what-died >&2
}

stop_processes() {
  wine_env
  if [[ -d $WINEPREFIX ]]; then
    local server
    server=$(find_wineserver) || true
    wineserver -k >/dev/null 2>&1 || true
    # A new server cannot start for the prefix while the old one is still going.
    for _ in $(seq 100); do
      alive "$server" 'wineserver*' || break
      sleep 0.1
    done
  fi
  # Only ids still running their program: a dead one's id may belong to anything by now.
  stop_feed
  if pulse_alive; then kill "$VOXTREL_PULSE_PID" 2>/dev/null || true; fi
  if xvfb_alive; then kill "$VOXTREL_XVFB_PID" 2>/dev/null || true; fi
  rm -f "$state"
  load_state
}

stop() {
  [[ -d $scratch ]] || return 0
  VOXTREL_WINE_SCRATCH=$scratch flock -o "$scratch/harness.lock" bash "${BASH_SOURCE[0]}" stop-now
}

status() {
  wine_env
  local name missing=0
  for name in xvfb pulse feed wineserver; do
    if "${name}_alive"; then
      echo "$name: running"
    else
      echo "$name: not running"
      missing=1
    fi
  done
  return "$missing"
}

exec_program() {
  wine_env
  local out err rc=0 listing=0
  out=$(mktemp)
  err=$(mktemp)
  for arg in "$@"; do [[ $arg == --gtest_list_tests ]] && listing=1; done
  # Files, not the caller's pipes: a process Wine starts on the way (a child of the program, a
  # service of the session) may outlive the program, and CTest would wait for it to let go of
  # its pipe until the test times out.
  # Now and then Wine does not start a program at all under load: it ends at once with an
  # error and not a byte written, where every test program writes at its start. That program
  # is started again, twice at most, and the harness says so.
  local attempt
  for attempt in 1 2 3; do
    rc=0
    wine "$@" </dev/null >"$out" 2>"$err" || rc=$?
    if ((rc == 0)) || [[ -s $out || -s $err ]]; then break; fi
    echo "wine-harness: Wine did not start $(basename "$1") (exit code $rc, attempt $attempt of 3)" >&2
  done
  tr -d '\r' <"$out"
  tr -d '\r' <"$err" >&2
  local last
  last=$(tr -d '\r' <"$out" | grep -v '^$' | tail -n 1 || true)
  rm -f "$out" "$err"
  if ((listing)); then return "$rc"; fi
  if [[ $last != "$marker "* ]]; then
    echo "wine-harness: $(basename "$1") ended without its final line (exit code $rc): crashed?" >&2
    return 1
  fi
  if [[ $last != "$marker 0" ]]; then return 1; fi
  return "$rc"
}

build_dir() {
  local build=${VOXTREL_WINE_BUILD:-$repo/build/windows}
  [[ $build == /* ]] || build=$PWD/$build
  [[ -f $build/CTestTestfile.cmake ]] || {
    echo "wine-harness: $build is not a configured windows build" >&2
    exit 2
  }
  echo "$build"
}

command=${1:-}
shift || true
case $command in
  start) start ;;
  stop) stop ;;
  restart-what-died) restart_what_died ;;
  stop-now) stop_processes ;;
  status) status ;;
  exec)
    # What died since the last program starts again first (a no-capture program leaves the
    # sound server alone); a harness never started or stopped stays so.
    if [[ -f $state ]]; then start; fi
    exec_program "$@"
    ;;
  run)
    start
    exec_program "$@"
    ;;
  ctest)
    build=$(build_dir)
    start
    trap stop EXIT
    (cd "$build" && ctest "$@")
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
    sed -n '2,19p' "${BASH_SOURCE[0]}" | sed 's/^# \{0,1\}//'
    exit 2
    ;;
esac
