#!/usr/bin/env bash
# The main job's second example, for a fresh Debian 12 machine (as root): installs what it
# needs, builds the Windows add-in, starts Wine with a microphone that hears a spoken sample,
# registers voxtrel.dll for the user, and lets a VBScript record a voice message through
# Voxtrel.VoxtrelInst and play it back. Then it tells where the MP3 is, how long it is and what
# it is called, reading the MP3 with Linux tools.
#
#   bash scripts/main-job.sh --vbscript [SECONDS]   the message's length, 5 by default
#
# VOXTREL_WINDOWS_BUILD: the Windows build folder (default build/windows).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/../.."
repo=$PWD

length=${1:-5}
[[ $length =~ ^[0-9]+$ ]] && ((length >= 1 && length <= 60)) ||
  { echo "usage: scripts/main-job.sh --vbscript [SECONDS]   (1 to 60, 5 by default)" >&2; exit 2; }
title="Vox Trel demo message"
log=$repo/build/logs/main-job-vbscript.log
report=$repo/build/logs/main-job-vbscript-report.txt
# A Wine prefix of its own, so the tests' prefix stays as the tests left it.
export VOXTREL_WINE_SCRATCH=$repo/build/main-job-vbscript-wine
build=$(realpath -m "${VOXTREL_WINDOWS_BUILD:-build/windows}")

source "$repo/scripts/main-job/steps.sh"

step "Installing the packages it needs (apt-get; only what is missing)"
quietly bash scripts/install-deps.sh || fail "installing packages"

step "Building libmp3lame for Windows (once; about 15 s)"
quietly bash scripts/build-lame-mingw.sh x86_64-w64-mingw32 || fail "building libmp3lame"

step "Building voxtrel.dll and Wav2Mp3.exe with mingw-w64 (about a minute the first time)"
quietly cmake --preset windows -B "$build" || fail "configuring the Windows build"
quietly cmake --build "$build" --target voxtrel Wav2Mp3 -j2 || fail "building the add-in"
bin=$build/bin

step "Starting Wine: a scratch prefix, a virtual display, a microphone fed with speech"
trap 'scripts/wine-harness.sh stop >/dev/null 2>&1 || true' EXIT
quietly scripts/wine-harness.sh start || fail "starting Wine"
eval "$(scripts/wine-harness.sh shell)"

step "Registering voxtrel.dll for the user (regsvr32 voxtrel.dll)"
quietly bash scripts/register-dll-under-wine.sh "$bin/voxtrel.dll" || fail "registering voxtrel.dll"

step "Recording a ${length}-second voice message from VBScript, then playing it back"
windows_path() { printf 'Z:%s' "${1//\//\\}"; }
rm -f "$report"
quietly wine cscript //nologo "$(windows_path "$repo/tools/demo/record_message.vbs")" \
  "$(windows_path "$report")" "$length" "$title" || true
[[ -f $report ]] || fail "running the VBScript (it wrote no report)"
report_value() { tr -d '\r' <"$report" | sed -n "s/^$1=//p" | tail -n 1; }
if [[ $(report_value end) != ok ]]; then
  fail "recording: $(report_value error)"
fi

mp3_windows=$(report_value mp3)
mp3=$(winepath -u "$mp3_windows" 2>/dev/null)
[[ -s $mp3 ]] || fail "finding the MP3 at $mp3_windows"
facts=$(tools/demo/mp3_facts.sh "$mp3" 2>>"$log") || fail "decoding the MP3 with LAME"
eval "$(sed 's/^/mp3_/' <<<"$facts")"
trace=$WINEPREFIX/drive_c/debug.log

step "Done"
cat <<EOF

Your voice message is ready.

  File (as Windows sees it):  $mp3_windows
  File (on this Linux box):   $mp3
  Length:                     $(printf '%.1f' "$mp3_seconds") seconds (decoded with LAME)
  Title (ID3 tag):            ${mp3_title:-(none)}
  Loudness:                   $mp3_rms_db dB RMS (silence would be far below -60)

It was recorded through Voxtrel.VoxtrelInst, the add-in's scriptable recorder, from the spoken
sample Wine's microphone hears, encoded by Wav2Mp3.exe and played back once (to Wine's virtual
sound card, so there was nothing to hear). Every step is in the trace log:
  $trace
EOF
