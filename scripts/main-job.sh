#!/usr/bin/env bash
# Vox Trel's main job, for a fresh Debian 12 machine (as root): a whole Outlook session under
# Wine. It installs what it needs, builds VoxTrel-Setup.exe and the simulated Outlook
# (outlook-sim.exe), installs the add-in silently into a fresh Wine prefix whose microphone hears
# a spoken sample, and plays scripts/main-job/outlook.session through the installed add-in:
# record 5 s into a drafted message, play it back, tick the tagline box in the options dialog,
# send. It prints what was sent and where the pictures and the trace are, then uninstalls and
# checks that the folder and the keys are gone.
#
#   bash scripts/main-job.sh              the Outlook session
#   bash scripts/main-job.sh --vbscript   the second example: a VBScript records through
#                                         Voxtrel.VoxtrelInst (scripts/main-job/vbscript.sh)
#
# VOXTREL_WINDOWS_BUILD: the Windows build for outlook-sim.exe (default build/windows);
# VOXTREL_INSTALLER_DIR: where the installer is built (default build/installer);
# VOXTREL_RELEASE_X64, VOXTREL_RELEASE_I686: passed to scripts/build-installer.sh.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
repo=$PWD

if [[ ${1:-} == --vbscript ]]; then
  shift
  exec bash scripts/main-job/vbscript.sh "$@"
fi
(($# == 0)) || { echo "usage: $0 [--vbscript [SECONDS]]" >&2; exit 2; }

build=$(realpath -m "${VOXTREL_WINDOWS_BUILD:-build/windows}")
installer=$(realpath -m "${VOXTREL_INSTALLER_DIR:-build/installer}")
out=$repo/build/main-job
log=$repo/build/logs/main-job.log
harness=$repo/scripts/wine-harness.sh
# A Wine prefix of its own, made anew each run: the installer meets a clean user.
export VOXTREL_WINE_SCRATCH=$repo/build/main-job-wine

source "$repo/scripts/main-job/steps.sh"
# Wine's programs never get the terminal's pipes, which a process Wine starts could keep open;
# their standard error goes to $w_err (default: the log). Now and then Wine cannot start a program
# at all (its start.exe says "ShellExecuteEx failed"): that program is started again.
w() {
  local err rc attempt
  err=$(mktemp)
  for attempt in 1 2 3; do
    rc=0
    wine "$@" </dev/null 2>"$err" || rc=$?
    cat "$err" >>"${w_err:-$log}"
    grep -q 'ShellExecuteEx failed' "$err" || break
    echo "main-job: Wine could not start $1 (attempt $attempt of 3)" >>"$log"
  done
  rm -f "$err"
  return "$rc"
}

step "Installing the packages it needs (apt-get; only what is missing)"
quietly bash scripts/install-deps.sh || fail "installing packages"

step "Building VoxTrel-Setup.exe: both release builds, stripped (a few minutes the first time)"
quietly bash scripts/build-installer.sh "$installer" || fail "building the installer"
setup=$installer/VoxTrel-Setup.exe

step "Building outlook-sim.exe, the simulated Outlook (Windows build)"
quietly cmake --preset windows -B "$build" || fail "configuring the Windows build"
quietly cmake --build "$build" --target outlook-sim -j2 || fail "building outlook-sim.exe"

step "Starting Wine in a fresh prefix, with a microphone that hears a spoken sample"
trap 'quietly "$harness" stop || true' EXIT
quietly "$harness" stop || true
rm -rf "$VOXTREL_WINE_SCRATCH/prefix"
quietly "$harness" start || fail "starting Wine"
eval "$("$harness" shell)"

folder_win="$(w cmd /c 'echo %LOCALAPPDATA%' | tr -d '\r')\\Programs\\Vox Trel"
folder=$(winepath -u "$folder_win" 2>/dev/null)
classes='HKCU\Software\Classes'
recorder_clsid='{FC853219-3C25-456E-9C5A-BAD877A42F39}'
connect_clsid='{52DE24F7-78C8-4EFD-B326-6BE50CDB2FCB}'
typelib='TypeLib\{6FACBCCC-32AD-49C5-BC9B-146FD2A11F0C}'
ours=("$classes\\CLSID\\$recorder_clsid" "$classes\\CLSID\\$connect_clsid"
  "$classes\\Voxtrel.VoxtrelInst" "$classes\\Voxtrel.Connect" "$classes\\$typelib"
  "HKLM\\Software\\Classes\\$typelib"
  'HKCU\Software\Microsoft\Office\Outlook\Addins\Voxtrel.Connect'
  'HKCU\Software\Microsoft\Office\Outlook\Addins\Voxtrel.MailWindow'
  'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Vox Trel')
key_exists() { w reg query "$1" >/dev/null 2>&1; }

step "Installing: VoxTrel-Setup.exe /S"
code=0
w "$setup" /S >>"$log" || code=$?
((code == 0)) || fail "installing (VoxTrel-Setup.exe /S exited with $code)"
[[ -f $folder/voxtrel.dll ]] || fail "installing (no voxtrel.dll in $folder)"
# Wine only: its HKCR lacks the user's classes, so they are copied to HKLM while Outlook runs.
copies=("CLSID\\$recorder_clsid" "CLSID\\$connect_clsid" Voxtrel.VoxtrelInst Voxtrel.Connect)
installed=$(cd "$folder" && find . -type f -printf '%P\n' | sort | paste -sd' ')
for key in "${copies[@]}"; do
  quietly w reg copy "$classes\\$key" "HKLM\\Software\\Classes\\$key" /s /f ||
    fail "copying the class keys to HKLM for Wine"
done

step "Outlook session: record 5 s, stop, play, tick the tagline box, send (about 20 s)"
rm -rf "$out"
mkdir -p "$out"
cp scripts/main-job/outlook.session "$out/"
# A session's files (the saved attachment, the pictures) are written beside it; the time each
# step took goes to standard error.
code=0
(cd "$out" && w_err=$out/timings.out w "$build/bin/outlook-sim.exe" outlook.session --trace \
  --timings) >"$out/session.out" || code=$?
tr -d '\r' <"$out/session.out" >"$out/session.txt"
tr -d '\r' <"$out/timings.out" >"$out/timings.txt"
rm -f "$out/session.out" "$out/timings.out"
cat "$out/session.txt" "$out/timings.txt" >>"$log"
((code == 0)) || fail "playing the session (outlook-sim.exe exited with $code; $out/session.txt)"
cp "$folder/Debug.log" "$out/trace.log" 2>/dev/null || fail "copying the trace log"
for key in "${copies[@]}"; do quietly w reg delete "HKLM\\Software\\Classes\\$key" /f || true; done

step "Uninstalling: Uninstall.exe /S"
code=0
w "$folder/Uninstall.exe" /S >>"$log" || code=$?
((code == 0)) || fail "uninstalling (Uninstall.exe /S exited with $code)"
# The uninstaller runs from a copy in the temporary folder; the folder goes last.
for _ in $(seq 600); do
  [[ -e $folder ]] || break
  sleep 0.1
done
left=()
[[ -e $folder ]] && left+=("$folder_win")
for key in "${ours[@]}" "${copies[@]/#/HKLM\\Software\\Classes\\}"; do
  key_exists "$key" && left+=("$key")
done
step "Done"

# What the session printed, read back; what is not as it should be makes the job fail.
wrong=()
expect() { "${@:2}" || wrong+=("$1"); }
saved=$(grep -m1 '^saved m1 1 ' "$out/session.txt") || fail "saving the attachment (no saved line)"
attachment=$(sed -E 's/^saved m1 1 "([^"]*)".*/\1/' <<<"$saved")
bytes=$(sed -E 's/.* ([0-9]+) bytes to .*/\1/' <<<"$saved")
facts=$(tools/demo/mp3_facts.sh "$out/Voxtrel.mp3" 2>>"$log") || fail "decoding the attachment"
eval "$(sed 's/^/mp3_/' <<<"$facts")"
# How long it was recording: the time between the Record and the Stop click (two clicks of the
# button "Record"), as the session measured it, then frmAudio's end-record delay. How much of
# that Wine delivers is the machine's (under load, a little less): only a recording under half of
# it, or a silent one, is wrong.
between_ms=$(awk '/^timing Click of button "Record" of inspector 1 / { clicks++; next }
  clicks == 1 && /^timing / { ms += $(NF - 1) } END { if (clicks == 2) print ms }' \
  "$out/timings.txt")
[[ -n $between_ms ]] || fail "timing the recording (no Record and Stop clicks in timings.txt)"
end_record_delay_ms=500
read -r length between recording delivered < <(awk -v ms="$between_ms" \
  -v d="$end_record_delay_ms" -v s="$mp3_seconds" 'BEGIN {
  printf "%.2f %.2f %.2f %+.0f%%\n", s, ms / 1000, (ms + d) / 1000, (s * 1000 / (ms + d) - 1) * 100
}')
expect "the recording is not even half of the $recording s it was recording" \
  awk -v s="$mp3_seconds" -v r="$recording" 'BEGIN { exit !(s >= r / 2) }'
expect "the recording is silent ($mp3_rms_db dB)" \
  awk -v db="$mp3_rms_db" 'BEGIN { exit !(db != "-inf" && db + 0 > -60) }'
# The first dump comes after the playback: its inspector shows Play again once that has ended.
played=$(awk '/^inspector 1 /{i = 1; next} i && /^[a-z]/{exit}
  i && /button "Play" visible/{print 1}' "$out/session.txt")
expect "the playback had not ended after 9 s" test -n "$played"
box=$(sed -nE 's/^dialog "[^"]*" visible .* box ("[^"]*") (clear|ticked|grey) .*/\1 \2/p' \
  "$out/session.txt")
expect "the dialog's box was not ticked" test "${box##* }" = ticked
tagline=$(sed -n 's/^setting TagLine //p' "$out/session.txt")
expect '"TagLine" is not "1"' test "$tagline" = '"1"'
sent=$(grep '^mail m1 ' "$out/session.txt" | tail -n 1)
subject=$(sed -E 's/^mail m1 [a-z]+ subject ("[^"]*").*/\1/' <<<"$sent")
expect "the message was not sent" grep -q '^mail m1 sent ' <<<"$sent"
held=$(sed -n 's/^held by the add-in: //p' "$out/session.txt")
expect "the add-in still held something of Outlook's at quit" test "$held" = none
# The sent body's last two lines: the tagline's tail.
tail_lines=$(python3 - "$out/session.txt" <<'EOF'
import re, sys
body = [l for l in open(sys.argv[1]) if l.startswith('  body "')][-1].rstrip('\n')[8:-1]
escapes = {'r': '\r', 'n': '\n', 't': '\t', '"': '"', '\\': '\\'}
text = re.sub(r'\\(x[0-9A-Fa-f]{2}|.)',
              lambda m: chr(int(m[1][1:], 16)) if len(m[1]) == 3 else escapes.get(m[1], m[1]), body)
for line in text.replace('\r\n', '\n').split('\n')[-2:]:
    print('    | ' + line)
EOF
)
expect "the sent body has no tagline" grep -q 'voxtrel\.example' <<<"$tail_lines"
pictures=()
for picture in compose.png dialog.png; do
  expect "no picture $picture" test -s "$out/$picture"
  pictures+=("$out/$picture")
done

cat <<EOF

A voice message went out from the simulated Outlook, through the installed Vox Trel.

  Installed:      $installed
                  into "$folder_win" by VoxTrel-Setup.exe /S
  Sent:           $subject, after Record, 5 s, Stop, Play to the end
  Attachment:     $attachment, $bytes bytes, saved as $out/Voxtrel.mp3
  Length:         $length s, decoded with LAME: $delivered against the $recording s recording
                  ($between s between the clicks, then the end-record delay; Wine's figure)
  Title (ID3):    ${mp3_title:-(empty, as for every recording made in a mail window)}
  Loudness:       $mp3_rms_db dB RMS (silence would be far below -60)
  Options dialog: box ${box:-(not printed)} through its window; "TagLine" ${tagline:-missing}
  Tagline's tail, the sent body's last lines:
$tail_lines
  Add-in at quit: held ${held:-(not printed)} of Outlook's

  Pictures:       ${pictures[0]} (the compose window and its bar)
                  ${pictures[1]} (the options dialog, box ticked)
  Trace log:      $out/trace.log
  Session:        $out/outlook.session, its output in $out/session.txt,
                  the time of each step in $out/timings.txt
EOF
if ((${#left[@]} == 0)); then
  printf '\nUninstalled with Uninstall.exe /S: the folder and our registry keys are gone.\n'
else
  wrong+=("the uninstall left: ${left[*]}")
fi
if ((${#wrong[@]})); then
  printf '\nNot as it should be:\n' >&2
  printf '  %s\n' "${wrong[@]}" >&2
  exit 1
fi
