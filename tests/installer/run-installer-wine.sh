#!/usr/bin/env bash
# VoxTrel-Setup.exe under Wine, silently, in a fresh prefix of its own: what it installs and
# registers, outlook-sim.exe loading the add-in from the installed folder, an upgrade that keeps
# the user's settings, setup and uninstall refused while the DLL is loaded, and an uninstall
# after which the user's registry and the folder are as before.
#
#   run-installer-wine.sh SETUP.EXE WINDOWS_BUILD
#
# WINDOWS_BUILD has outlook-sim.exe and hold_module.exe in bin/. The harness's scratch folder
# is VOXTREL_WINE_SCRATCH (default build/installer-wine); its prefix is made anew.
set -uo pipefail
setup=$(realpath "$1") build=$(realpath "$2")
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
here=$repo/tests/installer
export VOXTREL_WINE_SCRATCH=${VOXTREL_WINE_SCRATCH:-$repo/build/installer-wine}
export VOXTREL_WINE_NO_AUDIO=1
harness=$repo/scripts/wine-harness.sh
work=$(mktemp -d)
failures=0

"$harness" stop
rm -rf "$VOXTREL_WINE_SCRATCH/prefix"
trap '"$harness" stop; rm -rf "$work"' EXIT
"$harness" start || exit 1
eval "$("$harness" shell)"

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}
ok() { echo "ok: $*"; }
check() { # check WHAT COMMAND...
  local what=$1
  shift
  if "$@"; then ok "$what"; else fail "$what"; fi
}

# Wine's output never goes to a pipe that a process Wine starts could keep open.
w() { wine "$@" </dev/null 2>>"$work/wine.err"; }
# A value's data as reg prints it ("" when missing); no name: the default value.
value() {
  if [[ -n ${2:-} ]]; then
    w reg query "$1" /v "$2" >"$work/query" || true
  else
    w reg query "$1" /ve >"$work/query" || true
  fi
  tr -d '\r' <"$work/query" | sed -n "s/^ *${2:-(Default)} *REG_[A-Z_]* *//p"
}
key_exists() { w reg query "$1" >/dev/null; }
# The user's registry as text, sorted within each key. Wine's reg.exe now and then ends
# without writing the file (seen once while another program had just started); it is asked
# again, and each retry is said.
export_hkcu() {
  local attempt
  for attempt in 1 2 3 4 5; do
    rm -f "$work/export.reg"
    if w reg export HKCU "$work/export.reg" /y >/dev/null && [[ -s $work/export.reg ]]; then
      iconv -f UTF-16 -t UTF-8 "$work/export.reg" | tr -d '\r' >"$1"
      return 0
    fi
    echo "note: reg export wrote nothing (attempt $attempt), asking again"
    sleep 1
  done
  : >"$1"
  return 1
}
files_of() { (cd "$1" 2>/dev/null && find . -type f -printf '%P %s\n' | sort); }

user_programs=$(w cmd /c 'echo %LOCALAPPDATA%' | tr -d '\r')\\Programs
folder_win="$user_programs\\Vox Trel"
folder=$(winepath -u "$folder_win" 2>/dev/null)
dll_win="$folder_win\\voxtrel.dll"
classes='HKCU\Software\Classes'
recorder_clsid='{FC853219-3C25-456E-9C5A-BAD877A42F39}'
connect_clsid='{52DE24F7-78C8-4EFD-B326-6BE50CDB2FCB}'
typelib='TypeLib\{6FACBCCC-32AD-49C5-BC9B-146FD2A11F0C}'
addin='HKCU\Software\Microsoft\Office\Outlook\Addins\Voxtrel.Connect'
settings='HKCU\Software\Microsoft\Office\Outlook\Addins\Voxtrel.MailWindow'
entry='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Vox Trel'

# A Windows profile has this container already; a fresh Wine prefix does not.
w reg add "$classes\\CLSID" /f >/dev/null
export_hkcu "$work/before.reg"
check "no folder before" test ! -e "$folder"

echo "== a 32-bit Outlook gets the 32-bit DLL"
office32='HKLM\Software\Wow6432Node\Microsoft\Office\16.0\Outlook'
w reg add "$office32" /v Bitness /d x86 /f >/dev/null
w "$setup" /S >"$work/setup32.out"
code=$?
# Without Wine's 32-bit half (wine32) its regsvr32 cannot run: setup must then undo it all.
if ((code == 0)); then
  check "a 32-bit DLL" bash -c "x86_64-w64-mingw32-objdump -f '$folder/voxtrel.dll' | grep -q pei-i386"
  w "$folder/Uninstall.exe" /S
  for _ in $(seq 600); do
    [[ -e $folder ]] || break
    sleep 0.1
  done
else
  check "setup exits 2 when the 32-bit registration fails" test "$code" = 2
  check "setup says so" grep -q "could not be registered" "$work/setup32.out"
fi
w reg delete "HKLM\Software\Wow6432Node\Microsoft\Office" /f >/dev/null
check "nothing left of it" test ! -e "$folder"
export_hkcu "$work/after32.reg"
check "registry as before" diff "$work/before.reg" "$work/after32.reg"

echo "== silent install"
w "$setup" /S
check "setup /S exits 0" test $? = 0
check "the three files and the uninstaller, nothing else" \
  diff <(files_of "$folder" | cut -d' ' -f1) <(printf '%s\n' R.wav Uninstall.exe Wav2Mp3.exe voxtrel.dll)
check "a 64-bit DLL (no 32-bit Outlook here)" \
  bash -c "x86_64-w64-mingw32-objdump -f '$folder/voxtrel.dll' | grep -q pei-x86-64"
check "stripped, with a link to its debug file" bash -c "x86_64-w64-mingw32-objdump -h \
  '$folder/voxtrel.dll' | grep -q gnu_debuglink && ! x86_64-w64-mingw32-objdump -h '$folder/voxtrel.dll' | grep -q debug_info"
for clsid in "$recorder_clsid" "$connect_clsid"; do
  check "class $clsid served from the installed DLL" \
    test "$(value "$classes\\CLSID\\$clsid\\InprocServer32")" = "$dll_win"
done
check "ProgIDs" test "$(value "$classes\\Voxtrel.Connect\\CLSID")" = "$connect_clsid"
check "ProgID of the recorder" key_exists "$classes\\Voxtrel.VoxtrelInst\\CLSID"
# Wine's RegisterTypeLibForUser writes below HKLM; Windows' below the user's classes.
tlb=$(value "$classes\\$typelib\\1.0\\0\\win64" )
[[ -n $tlb ]] || tlb=$(value "HKLM\\Software\\Classes\\$typelib\\1.0\\0\\win64" )
check "type library from the installed DLL" test "$tlb" = "$dll_win"
check "add-in entry: FriendlyName" test "$(value "$addin" FriendlyName)" = Voxtrel
check "add-in entry: Description" test "$(value "$addin" Description)" = "MP3 Voice Email Add-in"
check "add-in entry: LoadBehavior 3" test "$(value "$addin" LoadBehavior)" = 0x3
check '"AQ" set to "1"' test "$(value "$settings" AQ)" = 1
check "uninstall entry: name" test "$(value "$entry" DisplayName)" = "Vox Trel"
check "uninstall entry: version" test "$(value "$entry" DisplayVersion)" = 1.2.0.0
check "uninstall entry: publisher" test -n "$(value "$entry" Publisher)"
check "uninstall entry: size" test -n "$(value "$entry" EstimatedSize)"
check "uninstall entry: command" \
  test "$(value "$entry" UninstallString)" = "\"$folder_win\\Uninstall.exe\""
check "uninstall entry: quiet command" \
  test "$(value "$entry" QuietUninstallString)" = "\"$folder_win\\Uninstall.exe\" /S"

echo "== outlook-sim.exe loads the add-in from the installed folder"
# Wine only: HKCR lacks the user's classes, so they are copied to HKLM for this run.
copies=("CLSID\\$recorder_clsid" "CLSID\\$connect_clsid" Voxtrel.VoxtrelInst Voxtrel.Connect)
for key in "${copies[@]}"; do
  w reg copy "$classes\\$key" "HKLM\\Software\\Classes\\$key" /s /f >/dev/null
done
cp "$here/installed.session" "$work/"
(cd "$work" && w "$build/bin/outlook-sim.exe" installed.session --trace) >"$work/sim.out"
check "the session ran" test $? = 0
tr -d '\r' <"$work/sim.out" >"$work/sim.txt"
check "the compose window has the add-in's bar with Record" \
  bash -c "sed -n '/^inspector 1/,/^mail/p' '$work/sim.txt' | grep -q 'button \"Record\" visible'"
check "the add-in's log is in the installed folder" grep -qxF "trace $folder_win\\Debug.log" "$work/sim.txt"
check "the add-in let go of Outlook" grep -qx "held by the add-in: none" "$work/sim.txt"
for key in "${copies[@]}"; do w reg delete "HKLM\\Software\\Classes\\$key" /f >/dev/null; done

echo "== upgrade over an older install keeps the user's settings"
w reg add "$settings" /v TagLine /d 1 /f >/dev/null
w reg add "$settings" /v AQ /d 3 /f >/dev/null
w reg add "$entry" /v DisplayVersion /d 1.1.0.0 /f >/dev/null
w "$setup" /S
check "setup /S over it exits 0" test $? = 0
check '"TagLine" kept' test "$(value "$settings" TagLine)" = 1
check '"AQ" of the user kept' test "$(value "$settings" AQ)" = 3
check "version now 1.2.0.0" test "$(value "$entry" DisplayVersion)" = 1.2.0.0
check "still registered" test "$(value "$classes\\CLSID\\$connect_clsid\\InprocServer32")" = "$dll_win"

echo "== setup and uninstall while the DLL is loaded change nothing"
snapshot() {
  export_hkcu "$1.reg"
  (cd "$folder" && find . -type f -printf '%P %s %T@\n' | sort) >"$1.files"
}
w "$build/bin/hold_module.exe" "$dll_win" >"$work/hold.out" &
holder=$!
for _ in $(seq 600); do
  grep -q '^holding' "$work/hold.out" 2>/dev/null && break
  kill -0 "$holder" 2>/dev/null || break
  sleep 0.1
done
check "the DLL is held loaded" grep -q '^holding' "$work/hold.out"
snapshot "$work/held-before"
w "$setup" /S >"$work/setup.out"
check "setup exits 2" test $? = 2
check "setup says why" grep -q "Vox Trel is in use: close Microsoft Outlook" "$work/setup.out"
# _?= runs the uninstaller in place, so its exit code is the uninstall's; it takes the rest
# of the command line unquoted, which only a batch file passes through Wine.
printf '@"%s\\Uninstall.exe" /S _?=%s\r\n@exit /b %%errorlevel%%\r\n' "$folder_win" "$folder_win" \
  >"$work/uninstall-in-place.bat"
w cmd /c "$(winepath -w "$work/uninstall-in-place.bat")" >"$work/uninstall.out"
check "uninstall exits 2" test $? = 2
snapshot "$work/held-after"
check "registry unchanged" diff "$work/held-before.reg" "$work/held-after.reg"
check "files unchanged" diff "$work/held-before.files" "$work/held-after.files"
w "$build/bin/hold_module.exe" --release >/dev/null
wait "$holder"

echo "== silent uninstall"
w "$folder/Uninstall.exe" /S
check "uninstall /S exits 0" test $? = 0
# The uninstaller runs from a copy in the temporary folder; the folder goes last.
for _ in $(seq 600); do
  [[ -e $folder ]] || break
  sleep 0.1
done
check "the folder is gone" test ! -e "$folder"
export_hkcu "$work/after.reg"
check "the user's registry is as before the install" diff "$work/before.reg" "$work/after.reg"
check "no type library left" bash -c "! wine reg query 'HKLM\\Software\\Classes\\$typelib' </dev/null >/dev/null 2>&1"

if ((failures)); then
  echo "installer under Wine: $failures checks failed (Wine's messages: $work/wine.err)"
  trap '"$harness" stop' EXIT
  exit 1
fi
echo "installer under Wine: all checks passed in ${SECONDS}s"
