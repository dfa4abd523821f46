#!/usr/bin/env bash
# Builds the machine-wide packages VoxTrel-x64.msi and VoxTrel-x86.msi from
# installer/voxtrel.wxs with wixl (Debian's msitools).
#
#   build-msi.sh PAYLOAD_DIR OUT_DIR [VERSION]
#
# PAYLOAD_DIR has x64/ and x86/, each with voxtrel.dll and Wav2Mp3.exe (signed already when
# signing). VERSION defaults to the product's; an older one makes a package to upgrade from.
# With VOXTREL_SIGN_CERT set the MSIs are signed (scripts/sign.sh).
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
payload=$(realpath "$1")
out=$(realpath -m "$2")
version=${3:-1.2.0.0}

command -v wixl >/dev/null || { echo "wixl missing: bash scripts/install-deps.sh" >&2; exit 1; }
mkdir -p "$out"

build_one() { # ARCH MSI
  local stage
  stage=$(mktemp -d)
  cp "$payload/$1/voxtrel.dll" "$payload/$1/Wav2Mp3.exe" "$stage/"
  cp "$repo/resources/R.wav" "$stage/"
  # wixl reads each File's Source relative to the working folder.
  (cd "$stage" && wixl -a "$1" -D Arch="$1" -D Version="$version" -o "$out/$2" \
    "$repo/installer/voxtrel.wxs")
  rm -rf "$stage"
  # What the add-in writes beside itself where it may (its trace log, the last message it
  # recorded) goes on removal, and the folder with it. wixl has no RemoveFile element.
  local row
  for row in "'TraceLog', 'VoxtrelDll', 'Debug.log'" "'LastRecording', 'VoxtrelDll', 'Voxtrel.mp3'"; do
    msibuild "$out/$2" -q "INSERT INTO RemoveFile (FileKey, Component_, FileName, DirProperty, InstallMode) VALUES ($row, 'INSTALLDIR', 2)"
  done
  local signed=UNSIGNED
  if [[ -n ${VOXTREL_SIGN_CERT:-} ]]; then
    bash "$repo/scripts/sign.sh" --files "$out/$2" >/dev/null
    signed=signed
  fi
  printf '  %-16s %8d bytes (%s, %s, %s)\n' "$2" "$(stat -c %s "$out/$2")" "$1" "$version" "$signed"
}
build_one x64 VoxTrel-x64.msi
build_one x86 VoxTrel-x86.msi
