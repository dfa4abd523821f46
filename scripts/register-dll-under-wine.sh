#!/usr/bin/env bash
# Registers voxtrel.dll in the Wine harness's prefix the way a user does (regsvr32, per user),
# then copies its class keys from HKCU\Software\Classes to HKLM\Software\Classes: Wine 8 does
# not merge the user's classes into HKCR, so CoCreateInstance would not find the class. On
# Windows the per-user registration alone is enough; this copy is for Wine only.
#
#   register-dll-under-wine.sh DLL                register, copy the keys
#   register-dll-under-wine.sh --unregister DLL   unregister, remove the copies
#
# Uses the harness of VOXTREL_WINE_SCRATCH (started if needed).
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
unregister=0
if [[ ${1:-} == --unregister ]]; then
  unregister=1
  shift
fi
[[ $# == 1 && -f $1 ]] || { echo "usage: $0 [--unregister] path/to/voxtrel.dll" >&2; exit 2; }
dll=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")

# The identifiers fixed in src/win32/com/voxtrel.idl, and Voxtrel.Connect's in
# src/win32/com/connect_object.h. Outlook's add-in entry lies outside the classes: no copy.
keys=(
  'CLSID\{FC853219-3C25-456E-9C5A-BAD877A42F39}'
  'Voxtrel.VoxtrelInst'
  'TypeLib\{6FACBCCC-32AD-49C5-BC9B-146FD2A11F0C}'
  'CLSID\{52DE24F7-78C8-4EFD-B326-6BE50CDB2FCB}'
  'Voxtrel.Connect'
)

eval "$("$repo/scripts/wine-harness.sh" shell)"
windows_dll=$(winepath -w "$dll" 2>/dev/null)

# Wine's output goes nowhere near CTest's pipe, which a process Wine starts could hold open.
exists() { wine reg query "$1" </dev/null >/dev/null 2>&1; }

if ((unregister)); then
  wine regsvr32 /s /u "$windows_dll" </dev/null >/dev/null 2>&1 ||
    { echo "regsvr32 /u $windows_dll failed" >&2; exit 1; }
  for key in "${keys[@]}"; do
    if exists "HKLM\\Software\\Classes\\$key"; then
      wine reg delete "HKLM\\Software\\Classes\\$key" /f </dev/null >/dev/null 2>&1
    fi
  done
  exit 0
fi

wine regsvr32 /s "$windows_dll" </dev/null >/dev/null 2>&1 || { echo "regsvr32 $windows_dll failed" >&2; exit 1; }
copied=0
for key in "${keys[@]}"; do
  # Wine's RegisterTypeLibForUser writes the type library under HKLM already.
  if exists "HKCU\\Software\\Classes\\$key"; then
    wine reg copy "HKCU\\Software\\Classes\\$key" "HKLM\\Software\\Classes\\$key" /s /f </dev/null >/dev/null 2>&1
    copied=$((copied + 1))
  fi
done
((copied >= 2)) || { echo "regsvr32 wrote no class keys under HKCU\\Software\\Classes" >&2; exit 1; }
echo "registered $windows_dll for the user (class keys copied to HKLM for Wine)"
