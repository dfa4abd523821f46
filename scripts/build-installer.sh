#!/usr/bin/env bash
# Builds VoxTrel-Setup.exe: both release builds (presets release-x64 and release-i686: optimised,
# stripped into ship/, debug information beside), then the NSIS installer with both DLLs in it.
# The debug files go beside the installer, in symbols/x64/ and symbols/x86/, for crash reports.
#
#   build-installer.sh [OUT_DIR]      default build/installer
#
# VOXTREL_RELEASE_X64, VOXTREL_RELEASE_I686: the release build folders (default
# build/release-x64 and build/release-i686).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
repo=$PWD
out=$(realpath -m "${1:-build/installer}")
x64=$(realpath -m "${VOXTREL_RELEASE_X64:-build/release-x64}")
x86=$(realpath -m "${VOXTREL_RELEASE_I686:-build/release-i686}")

command -v makensis >/dev/null || { echo "makensis missing: bash scripts/install-deps.sh" >&2; exit 1; }

release_build() { # PRESET FOLDER TRIPLE
  bash scripts/build-lame-mingw.sh "$3"
  cmake --preset "$1" -B "$2" -DVOXTREL_LAME_ROOT="$repo/build/third_party/lame-$3" >/dev/null
  # The strip step prints each binary's size before and after.
  cmake --build "$2" --target ship -j2
}
release_build release-x64 "$x64" x86_64-w64-mingw32
release_build release-i686 "$x86" i686-w64-mingw32

mkdir -p "$out/symbols/x64" "$out/symbols/x86"
makensis -V2 -DX64_DIR="$x64/ship" -DX86_DIR="$x86/ship" -DR_WAV="$repo/resources/R.wav" \
  -DOUTFILE="$out/VoxTrel-Setup.exe" installer/voxtrel.nsi
cp "$x64"/ship/*.debug "$out/symbols/x64/"
cp "$x86"/ship/*.debug "$out/symbols/x86/"

echo "sizes (bytes): built with debug information -> shipped"
for pair in "x64:$x64" "x86:$x86"; do
  for name in voxtrel.dll Wav2Mp3.exe; do
    printf '  %s %-12s %9d -> %8d\n' "${pair%%:*}" "$name" "$(stat -c %s "${pair#*:}/bin/$name")" \
      "$(stat -c %s "${pair#*:}/ship/$name")"
  done
done
printf '  VoxTrel-Setup.exe %d\n' "$(stat -c %s "$out/VoxTrel-Setup.exe")"
echo "installer: $out/VoxTrel-Setup.exe (debug files in $out/symbols/)"
