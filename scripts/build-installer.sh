#!/usr/bin/env bash
# Builds the installers: both release builds (presets release-x64 and release-i686: optimised,
# stripped into ship/, debug information beside), then the per-user NSIS installer
# VoxTrel-Setup.exe with both DLLs in it and the machine-wide VoxTrel-x64.msi and
# VoxTrel-x86.msi (scripts/build-msi.sh). What they ship is copied to payload/x64/ and
# payload/x86/ first. The debug files go beside the installers, in symbols/x64/ and
# symbols/x86/, for crash reports.
#
#   build-installer.sh [OUT_DIR]      default build/installer
#
# VOXTREL_RELEASE_X64, VOXTREL_RELEASE_I686: the release build folders (default
# build/release-x64 and build/release-i686). VOXTREL_SIGN_CERT (a .pfx; scripts/sign.sh sets
# it): every binary is signed, the uninstaller as makensis makes it; without it the build says
# that they are unsigned.
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
rm -rf "$out/payload"
mkdir -p "$out/payload/x64" "$out/payload/x86"
cp "$x64/ship/voxtrel.dll" "$x64/ship/Wav2Mp3.exe" "$out/payload/x64/"
cp "$x86/ship/voxtrel.dll" "$x86/ship/Wav2Mp3.exe" "$out/payload/x86/"
sign=()
if [[ -n ${VOXTREL_SIGN_CERT:-} ]]; then
  bash scripts/sign.sh --files "$out"/payload/*/*
  # The uninstaller is made inside makensis; it is signed there, before it is packed.
  sign=(-DSIGN_COMMAND="bash '$repo/scripts/sign.sh' --files")
fi
makensis -V2 -DX64_DIR="$out/payload/x64" -DX86_DIR="$out/payload/x86" \
  -DR_WAV="$repo/resources/R.wav" -DOUTFILE="$out/VoxTrel-Setup.exe" "${sign[@]}" installer/voxtrel.nsi
if [[ -n ${VOXTREL_SIGN_CERT:-} ]]; then bash scripts/sign.sh --files "$out/VoxTrel-Setup.exe"; fi
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
bash scripts/build-msi.sh "$out/payload" "$out"
echo "installers: $out/VoxTrel-Setup.exe, VoxTrel-x64.msi, VoxTrel-x86.msi (debug files in $out/symbols/)"
if [[ -n ${VOXTREL_SIGN_CERT:-} ]]; then
  echo "signed with $VOXTREL_SIGN_CERT: voxtrel.dll, Wav2Mp3.exe (both), VoxTrel-Setup.exe, its uninstaller, both MSIs"
else
  echo "UNSIGNED: no certificate given; scripts/sign.sh CERT.pfx builds them signed"
fi
