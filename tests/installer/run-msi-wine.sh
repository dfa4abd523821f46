#!/usr/bin/env bash
# The machine-wide packages and the signatures:
# - signing: a throwaway certificate authority and code-signing certificate (openssl), every
#   installer built signed with scripts/sign.sh (password from the environment), each signature
#   verified with osslsigncode against that authority, and a byte changed in a signed DLL, EXE
#   and MSI each making its verification fail; without a certificate the build says unsigned;
# - the x86 package's tables read back with msiinfo and msidump (32-bit programs cannot run
#   here), and the x64 package's beside them;
# - under Wine, in a fresh prefix of its own, silently: the signed x64 MSI installs its files and
#   HKLM keys and nothing under HKCU; the keys are those the DLL's own registration writes;
#   outlook-sim.exe loads the add-in from HKLM's entry and a session records and attaches; a
#   user's own entry wins over the machine's; removal leaves nothing of ours; an upgrade from an
#   older MSI keeps the user's "TagLine"; the signed DLL registers with regsvr32; the signed
#   setup writes a signed uninstaller.
#
#   run-msi-wine.sh WINDOWS_BUILD
#
# WINDOWS_BUILD has bin/outlook-sim.exe. The release builds are those of
# scripts/build-installer.sh (built when missing). The signed installers go to
# build/installer-signed/; the harness's scratch folder is VOXTREL_WINE_SCRATCH (default
# build/msi-wine), its prefix made anew.
set -uo pipefail
build=$(realpath "$1")
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
here=$repo/tests/installer
out=$repo/build/installer-signed
export VOXTREL_WINE_SCRATCH=${VOXTREL_WINE_SCRATCH:-$repo/build/msi-wine}
harness=$repo/scripts/wine-harness.sh
work=$(mktemp -d)
failures=0
started=$SECONDS

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
took() { echo "   ($1: $((SECONDS - $2)) s)"; }

recorder='{FC853219-3C25-456E-9C5A-BAD877A42F39}'
connect='{52DE24F7-78C8-4EFD-B326-6BE50CDB2FCB}'
library='{6FACBCCC-32AD-49C5-BC9B-146FD2A11F0C}'
interfaces=('{792EB91E-9E23-4E09-855F-F0DB6875E102}' '{15D2DA7C-3A46-4DE8-A463-674D5F564486}')
addins='Software\Microsoft\Office\Outlook\Addins'

echo "== signing with a throwaway certificate"
phase=$SECONDS
cert=$work/cert
mkdir -p "$cert"
printf 'basicConstraints=critical,CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n' >"$cert/signer.ext"
export VOXTREL_SIGN_PASSWORD="throwaway-$RANDOM$RANDOM"
{
  openssl req -x509 -newkey rsa:2048 -nodes -keyout "$cert/ca.key" -out "$cert/ca.pem" -days 2 \
    -subj "/CN=Vox Trel throwaway test CA" -addext "basicConstraints=critical,CA:TRUE" \
    -addext "keyUsage=critical,keyCertSign,cRLSign" &&
    openssl req -newkey rsa:2048 -nodes -keyout "$cert/signer.key" -out "$cert/signer.csr" \
      -subj "/CN=Vox Trel throwaway signer" &&
    openssl x509 -req -in "$cert/signer.csr" -CA "$cert/ca.pem" -CAkey "$cert/ca.key" \
      -CAcreateserial -days 2 -extfile "$cert/signer.ext" -out "$cert/signer.pem" &&
    openssl pkcs12 -export -inkey "$cert/signer.key" -in "$cert/signer.pem" -certfile "$cert/ca.pem" \
      -out "$cert/signer.pfx" -passout env:VOXTREL_SIGN_PASSWORD
} >"$work/openssl.log" 2>&1 || { cat "$work/openssl.log"; echo "cannot make the certificate"; exit 1; }
bash "$repo/scripts/sign.sh" "$cert/signer.pfx" "$out" >"$work/sign.log" 2>&1
check "sign.sh builds every installer signed" test $? = 0
grep -E '^(signed|  |installers|signed with)' "$work/sign.log" | sed "s|$repo/||g"
took "signed build" "$phase"

verify() { osslsigncode verify -CAfile "$cert/ca.pem" -in "$1" >"$work/verify.out" 2>&1 && grep -q '^Signature verification: ok' "$work/verify.out"; }
fails_verification() { ! osslsigncode verify -CAfile "$cert/ca.pem" -in "$1" >"$work/verify.out" 2>&1; }
signed_files=(payload/x64/voxtrel.dll payload/x64/Wav2Mp3.exe payload/x86/voxtrel.dll
  payload/x86/Wav2Mp3.exe VoxTrel-Setup.exe VoxTrel-x64.msi VoxTrel-x86.msi)
for file in "${signed_files[@]}"; do
  check "signature of $file verified" verify "$out/$file"
done
# What the packages install is the signed payload.
declare -A extracted
for arch in x64 x86; do
  mkdir -p "$work/extract-$arch"
  msiextract -C "$work/extract-$arch" "$out/VoxTrel-$arch.msi" >/dev/null
  extracted[$arch]=$(find "$work/extract-$arch" -name voxtrel.dll)
  check "the $arch MSI holds the signed DLL" cmp -s "${extracted[$arch]}" "$out/payload/$arch/voxtrel.dll"
done

tamper() { # FILE OUT: one byte changed inside what the signature covers
  python3 - "$1" "$2" <<'EOF'
import sys
data = bytearray(open(sys.argv[1], "rb").read())
# An MSI's files are in its cabinet stream; a PE's middle is code or data.
at = data.find(b"MSCF") + 4096 if sys.argv[1].endswith(".msi") else len(data) // 2
data[at] ^= 0xFF
open(sys.argv[2], "wb").write(data)
EOF
}
for file in payload/x86/voxtrel.dll VoxTrel-Setup.exe VoxTrel-x64.msi; do
  tamper "$out/$file" "$work/tampered-${file##*/}"
  check "one byte changed in $file: verification fails" fails_verification "$work/tampered-${file##*/}"
done

env -u VOXTREL_SIGN_CERT bash "$repo/scripts/build-msi.sh" "$out/payload" "$work/unsigned" >"$work/unsigned.log" 2>&1
check "without a certificate the build says unsigned" grep -q 'UNSIGNED' "$work/unsigned.log"
check "and the MSI carries no signature" fails_verification "$work/unsigned/VoxTrel-x64.msi"

echo "== the packages' tables"
table() { # MSI TABLE: its rows, tab-separated, without the three header lines
  msiinfo export "$1" "$2" | tail -n +4 | tr -d '\r'
}
for arch in x86 x64; do
  msi=$out/VoxTrel-$arch.msi
  if [[ $arch == x86 ]]; then
    template='Intel;1033' folder=ProgramFilesFolder bits=0 tlb=win32
  else
    template='x64;1033' folder=ProgramFiles64Folder bits=256 tlb=win64
  fi
  check "$arch: platform $template, per machine" bash -c "msiinfo suminfo '$msi' | grep -qx 'Template: $template' &&
    msiinfo export '$msi' Property | grep -qP '^ALLUSERS\t1\r?$'"
  check "$arch: into \"$folder\\Vox Trel\"" bash -c "msiinfo export '$msi' Directory | grep -qP '^INSTALLDIR\t$folder\tVox Trel'"
  check "$arch: the three files" diff <(table "$msi" File | cut -f1,3 | sort) \
    <(printf 'R.wav\tR.wav\nWav2Mp3.exe\tWav2Mp3.exe\nvoxtrel.dll\tvoxtrel.dll\n')
  # 2: on removal; the add-in's trace log and last recording, so that the folder goes too.
  check "$arch: the add-in's own files removed with it" diff <(table "$msi" RemoveFile | cut -f3,5 | sort) \
    <(printf 'Debug.log\t2\nVoxtrel.mp3\t2\n')
  # 256: a 64-bit component (64-bit registry view); 4: keyed by a registry value.
  check "$arch: five components, 64-bit ones only in the x64 package" diff \
    <(table "$msi" Component | cut -f1,4 | sort) \
    <(printf 'ComClasses\t%d\nEncoder\t%d\nOutlookAddin\t%d\nRecordingElement\t%d\nVoxtrelDll\t%d\n' \
      $((bits + 4)) "$bits" $((bits + 4)) "$bits" "$bits")
  table "$msi" Registry >"$work/registry-$arch"
  check "$arch: every registry row under HKLM (root 2), none under HKCU" \
    test "$(cut -f2 "$work/registry-$arch" | sort -u)" = 2
  check "$arch: the add-in entry" diff <(grep -F "$addins\\Voxtrel.Connect" "$work/registry-$arch" | cut -f4,5 | sort) \
    <(printf 'Description\tMP3 Voice Email Add-in\nFriendlyName\tVoxtrel\nLoadBehavior\t#3\n')
  # Rows: id, root, key, name, value, component; the key's default value has no name.
  served() { KEY=$1 awk -F'\t' 'index($3, ENVIRON["KEY"]) && $4 == "" && $5 == "[#voxtrel.dll]"' "$work/registry-$arch" | wc -l; }
  check "$arch: the classes served from the installed DLL" test "$(served '\InprocServer32')" = 2
  check "$arch: the type library as $tlb" test "$(served "TypeLib\\$library\\1.0\\0\\$tlb")" = 1
  check "$arch: major upgrade of older versions, no downgrade" bash -c "msiinfo export '$msi' Upgrade | grep -qP '\t\t1.2.0.0\t\t1\t\tWIX_UPGRADE_DETECTED' &&
    msiinfo export '$msi' InstallExecuteSequence | grep -qP '^RemoveExistingProducts\t'"
  python3 "$repo/scripts/check-pe-abi.py" "${extracted[$arch]}" \
    --machine "$([[ $arch == x86 ]] && echo i386 || echo amd64)" >"$work/machine-$arch" 2>&1
  check "$arch: its DLL is the $arch one" test $? = 0
done
mkdir -p "$work/dump"
msidump -d "$work/dump" -t "$out/VoxTrel-x86.msi" >/dev/null 2>&1
check "msidump reads the x86 package back" test -s "$work/dump/Registry.idt"
echo "   x86 package: $(wc -l <"$work/registry-x86") registry rows, $(($(wc -l <"$work/dump/File.idt") - 3)) files, $(($(wc -l <"$work/dump/Component.idt") - 3)) components"

echo "== under Wine"
phase=$SECONDS
"$harness" stop
rm -rf "$VOXTREL_WINE_SCRATCH/prefix"
trap '"$harness" stop; rm -rf "$work"' EXIT
"$harness" start >"$work/harness.log" 2>&1 || { cat "$work/harness.log"; exit 1; }
eval "$("$harness" shell)"
took "fresh prefix with a microphone" "$phase"

w() { wine "$@" </dev/null 2>>"$work/wine.err"; }
key_exists() { w reg query "$1" >/dev/null; }
# A hive below KEY as text: "KEY|NAME=DATA" lines, keys relative to KEY, lower case.
export_key() { # KEY FILE
  local attempt
  for attempt in 1 2 3; do
    rm -f "$work/export.reg"
    if w reg export "$1" "$work/export.reg" /y >/dev/null && [[ -s $work/export.reg ]]; then
      iconv -f UTF-16 -t UTF-8 "$work/export.reg" | tr -d '\r' >"$2"
      return 0
    fi
    echo "note: reg export of $1 wrote nothing (attempt $attempt), asking again"
    sleep 1
  done
  : >"$2"
  return 1
}
msiexec() { # /i|/x MSI
  w msiexec "$1" "$(winepath -w "$2")" /qn
}
program_files=$(w cmd /c 'echo %ProgramFiles%' | tr -d '\r')
folder_win="$program_files\\Vox Trel"
folder=$(winepath -u "$folder_win" 2>/dev/null)
dll_win="$folder_win\\voxtrel.dll"
value() { # KEY NAME: the data as reg prints it
  w reg query "$1" /v "$2" | tr -d '\r' | sed -n "s/^ *$2 *REG_[A-Z_]* *//p"
}
# Our keys as "KEY|NAME=DATA" lines from a .reg export of a classes root.
ours() { # EXPORT_FILE ROOT
  python3 - "$1" "$2" "$recorder" "$connect" "$library" "${interfaces[@]}" <<'EOF'
import sys
path, root, *ids = sys.argv[1:]
prefixes = [f"clsid\\{ids[0]}", f"clsid\\{ids[1]}", "voxtrel.voxtrelinst", "voxtrel.connect",
            f"typelib\\{ids[2]}"] + [f"interface\\{i}" for i in ids[3:]]
prefixes = [p.lower() for p in prefixes]
key = None
for line in open(path, encoding="utf-8"):
    line = line.rstrip("\n")
    if line.startswith("["):
        name = line.strip("[]")
        key = name[len(root) + 1:].lower() if name.lower().startswith(root.lower() + "\\") else None
        if key is not None and not any(key == p or key.startswith(p + "\\") for p in prefixes):
            key = None
    elif key is not None and "=" in line:
        print(f"{key}|{line}")
EOF
}
products() { # the names and versions of the installed programs called Vox Trel
  export_key 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' "$work/arp.reg"
  awk '/^\[/ { key = $0 } /^"DisplayName"="Vox Trel/ { name[key] = $0 } /^"DisplayVersion"=/ { version[key] = $0 }
    END { for (k in name) print name[k], version[k] }' "$work/arp.reg" | sort
}

w reg add 'HKCU\Software\Classes\CLSID' /f >/dev/null
export_key HKCU "$work/hkcu-before.reg"
phase=$SECONDS
msiexec /i "$out/VoxTrel-x64.msi"
check "msiexec /i VoxTrel-x64.msi /qn exits 0" test $? = 0
took "silent install" "$phase"
check "the three files in \"$folder_win\"" \
  diff <(cd "$folder" 2>/dev/null && ls) <(printf '%s\n' R.wav Wav2Mp3.exe voxtrel.dll)
check "the installed DLL is the signed one" cmp -s "$folder/voxtrel.dll" "$out/payload/x64/voxtrel.dll"
check "its signature verifies where it was installed" verify "$folder/voxtrel.dll"
export_key HKCU "$work/hkcu-installed.reg"
check "nothing under HKCU" diff "$work/hkcu-before.reg" "$work/hkcu-installed.reg"
entry="HKLM\\$addins\\Voxtrel.Connect"
check "HKLM add-in entry: FriendlyName" test "$(value "$entry" FriendlyName)" = Voxtrel
check "HKLM add-in entry: Description" test "$(value "$entry" Description)" = "MP3 Voice Email Add-in"
check "HKLM add-in entry: LoadBehavior 3" test "$(value "$entry" LoadBehavior)" = 0x3
check "no 32-bit view entry from the x64 package" bash -c "! wine reg query 'HKLM\\Software\\Wow6432Node\\$addins\\Voxtrel.Connect' </dev/null >/dev/null 2>&1"
export_key 'HKLM\Software\Classes' "$work/classes-msi.reg"
ours "$work/classes-msi.reg" 'HKEY_LOCAL_MACHINE\Software\Classes' | sort >"$work/keys-msi"
check "classes served from the installed DLL" \
  test "$(grep -c "inprocserver32|@=\"${dll_win//\\/\\\\\\\\}\"" "$work/keys-msi")" = 2
echo "   $(wc -l <"$work/keys-msi") values of ours under HKLM\\Software\\Classes"
check "installed programs: Vox Trel 1.2.0.0" test "$(products)" = '"DisplayName"="Vox Trel" "DisplayVersion"="1.2.0.0"'

echo "== outlook-sim.exe loads the add-in from HKLM's entry"
run_session() { # SESSION OUTPUT: outlook-sim.exe's status
  cp "$here/$1" "$work/"
  (cd "$work" && w "$build/bin/outlook-sim.exe" "$1" --trace) >"$2.raw"
  local status=$?
  tr -d '\r' <"$2.raw" >"$2"
  return "$status"
}
phase=$SECONDS
run_session machine-wide.session "$work/machine-wide.txt"
check "the session ran" test $? = 0
took "session with a recording" "$phase"
attached=$(sed -n 's/^mail new1 unsent .* attachments "Voxtrel.mp3" \([0-9]*\) .*/\1/p' "$work/machine-wide.txt")
check "the compose window has the add-in's bar" grep -q 'button "Record" hidden' "$work/machine-wide.txt"
check "a recording attached (Voxtrel.mp3, ${attached:-no} bytes)" test "${attached:-0}" -gt 1000
check "the add-in let go of Outlook" grep -qx "held by the add-in: none" "$work/machine-wide.txt"
sed -n 's/^trace /   trace log: /p' "$work/machine-wide.txt"

user_entry="HKCU\\$addins\\Voxtrel.Connect"
w reg add "$user_entry" /v LoadBehavior /t REG_DWORD /d 0 /f >/dev/null
run_session installed.session "$work/user-entry.txt"
check "a user's entry (LoadBehavior 0) wins over the machine's: no add-in" \
  bash -c "! grep -q 'bar \"Vox Trel\"' '$work/user-entry.txt' && grep -q '^inspector 1' '$work/user-entry.txt'"
w reg delete "$user_entry" /f >/dev/null

echo "== removal"
w reg add "HKCU\\$addins\\Voxtrel.MailWindow" /v TagLine /d 1 /f >/dev/null
export_key HKCU "$work/hkcu-before-removal.reg"
phase=$SECONDS
msiexec /x "$out/VoxTrel-x64.msi"
check "msiexec /x VoxTrel-x64.msi /qn exits 0" test $? = 0
took "silent removal" "$phase"
check "the folder is gone" test ! -e "$folder"
export_key 'HKLM\Software\Classes' "$work/classes-removed.reg"
check "none of our classes, type library or interfaces left" \
  test -z "$(ours "$work/classes-removed.reg" 'HKEY_LOCAL_MACHINE\Software\Classes')"
check "no HKLM add-in entry left" bash -c "! wine reg query 'HKLM\\$addins\\Voxtrel.Connect' </dev/null >/dev/null 2>&1"
check "no installed program left" test -z "$(products)"
export_key HKCU "$work/hkcu-removed.reg"
check "the user's settings untouched (\"TagLine\" still 1)" diff "$work/hkcu-before-removal.reg" "$work/hkcu-removed.reg"

echo "== upgrade from an older MSI"
bash "$repo/scripts/build-msi.sh" "$out/payload" "$work/old" 1.1.0.0 >"$work/old.log" 2>&1
msiexec /i "$work/old/VoxTrel-x64.msi"
check "1.1.0.0 installs" test "$(products)" = '"DisplayName"="Vox Trel" "DisplayVersion"="1.1.0.0"'
w reg add "HKCU\\$addins\\Voxtrel.MailWindow" /v TagLine /d 1 /f >/dev/null
export_key HKCU "$work/hkcu-before-upgrade.reg"
phase=$SECONDS
msiexec /i "$out/VoxTrel-x64.msi"
check "1.2.0.0 over it exits 0" test $? = 0
took "upgrade" "$phase"
check "one product left, 1.2.0.0" test "$(products)" = '"DisplayName"="Vox Trel" "DisplayVersion"="1.2.0.0"'
check "the files in place" diff <(cd "$folder" 2>/dev/null && ls) <(printf '%s\n' R.wav Wav2Mp3.exe voxtrel.dll)
check "\"TagLine\" kept" test "$(value "HKCU\\$addins\\Voxtrel.MailWindow" TagLine)" = 1
export_key HKCU "$work/hkcu-upgraded.reg"
check "HKCU untouched by the upgrade" diff "$work/hkcu-before-upgrade.reg" "$work/hkcu-upgraded.reg"
msiexec /x "$out/VoxTrel-x64.msi"
check "removed after the upgrade: the folder" test ! -e "$folder"
check "removed after the upgrade: the HKLM add-in entry" bash -c "! wine reg query '$entry' </dev/null >/dev/null 2>&1"
check "removed after the upgrade: the installed program" test -z "$(products)"
export_key 'HKLM\Software\Classes' "$work/classes-upgrade-removed.reg"
check "removed after the upgrade: our classes" \
  test -z "$(ours "$work/classes-upgrade-removed.reg" 'HKEY_LOCAL_MACHINE\Software\Classes')"

echo "== the x86 package installs into the 32-bit places (its DLL never runs here)"
export_key HKCU "$work/hkcu-before-x86.reg"
msiexec /i "$out/VoxTrel-x86.msi"
check "msiexec /i VoxTrel-x86.msi /qn exits 0" test $? = 0
folder32_win="$(w cmd /c 'echo %ProgramFiles(x86)%' | tr -d '\r')\\Vox Trel"
folder32=$(winepath -u "$folder32_win" 2>/dev/null)
check "the three files in \"$folder32_win\"" \
  diff <(cd "$folder32" 2>/dev/null && ls) <(printf '%s\n' R.wav Wav2Mp3.exe voxtrel.dll)
entry32="HKLM\\Software\\Wow6432Node\\${addins#Software\\}\\Voxtrel.Connect"
check "the add-in entry in the 32-bit view" test "$(value "$entry32" FriendlyName)|$(value "$entry32" LoadBehavior)" = "Voxtrel|0x3"
check "none in the 64-bit view" bash -c "! wine reg query '$entry' </dev/null >/dev/null 2>&1"
check "the 32-bit classes served from it" test "$(w reg query "HKLM\\Software\\Classes\\Wow6432Node\\CLSID\\$connect\\InprocServer32" /ve |
  tr -d '\r' | sed -n 's/^ *(Default) *REG_SZ *//p')" = "$folder32_win\\voxtrel.dll"
export_key HKCU "$work/hkcu-x86.reg"
check "nothing under HKCU" diff "$work/hkcu-before-x86.reg" "$work/hkcu-x86.reg"
msiexec /x "$out/VoxTrel-x86.msi"
check "msiexec /x VoxTrel-x86.msi /qn exits 0" test $? = 0
export_key 'HKLM\Software\Classes\Wow6432Node' "$work/classes32-removed.reg"
check "removed: folder, 32-bit entry and classes gone" bash -c "test ! -e '$folder32' &&
  ! wine reg query '$entry32' </dev/null >/dev/null 2>&1 &&
  test -z \"\$(grep -i -e '$connect' -e '$recorder' -e '$library' '$work/classes32-removed.reg')\""
check "no installed program left" test -z "$(products)"

echo "== the signed DLL registers with regsvr32: the keys the MSI writes"
mkdir -p "$folder"
cp "$out/payload/x64/voxtrel.dll" "$folder/"
w regsvr32 /s "$dll_win"
check "regsvr32 of the signed DLL exits 0" test $? = 0
export_key 'HKCU\Software\Classes' "$work/classes-user.reg"
export_key 'HKLM\Software\Classes' "$work/classes-machine.reg"
# The user's classes; Wine's RegisterTypeLibForUser writes the library and interfaces below HKLM.
{
  ours "$work/classes-user.reg" 'HKEY_CURRENT_USER\Software\Classes'
  ours "$work/classes-machine.reg" 'HKEY_LOCAL_MACHINE\Software\Classes'
} | sort -u >"$work/keys-regsvr32"
# Two things Wine's type library registration writes its own way: FLAGS with
# LIBFLAG_FHASDISKIMAGE (8) that the library does not have (Windows writes its flags, 0), and
# HELPDIR without the trailing backslash that the MSI's folder has.
normalise() { sed -e 's/\\flags|@="8"/\\flags|@="0"/' -e 's/\(\\helpdir|@=".*\)\\\\"$/\1"/' "$1"; }
check "the MSI writes exactly the classes, type library and interfaces regsvr32 writes" \
  diff <(normalise "$work/keys-msi") <(normalise "$work/keys-regsvr32")
check "and the same add-in entry, per user" diff \
  <(printf '%s\n' Voxtrel "MP3 Voice Email Add-in" 0x3) \
  <(for name in FriendlyName Description LoadBehavior; do value "HKCU\\$addins\\Voxtrel.Connect" "$name"; done)
w regsvr32 /s /u "$dll_win"
rm -rf "$folder"

echo "== the signed setup writes a signed uninstaller"
user_folder=$(winepath -u "$(w cmd /c 'echo %LOCALAPPDATA%' | tr -d '\r')\\Programs\\Vox Trel")
w "$out/VoxTrel-Setup.exe" /S
check "VoxTrel-Setup.exe /S (signed) exits 0" test $? = 0
check "the uninstaller it wrote verifies" verify "$user_folder/Uninstall.exe"
w "$user_folder/Uninstall.exe" /S
for _ in $(seq 600); do
  [[ -e $user_folder ]] || break
  sleep 0.1
done
check "and uninstalls" test ! -e "$user_folder"

if ((failures)); then
  echo "MSI and signing under Wine: $failures checks failed (Wine's messages: $work/wine.err)"
  trap '"$harness" stop' EXIT
  exit 1
fi
echo "MSI and signing under Wine: all checks passed in $((SECONDS - started))s"
