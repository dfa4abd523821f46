#!/usr/bin/env bash
# Installs what the builds and tests need on Debian 12 (run as root).
set -euo pipefail

packages=(
  cmake ninja-build g++ googletest clang-format
  libxml2-dev  # the simulated Outlook reads the Ribbon's XML as Office does
  g++-mingw-w64-x86-64 g++-mingw-w64-i686
  wine wine64 wine64-tools xvfb xauth
  # The encoder: libmp3lame natively; lame's source and make for the mingw builds of it
  # (scripts/build-lame-mingw.sh); spoken samples for its tests and benchmark.
  libmp3lame-dev dpkg-dev make espeak-ng
  # The COM server: its type library is patched after widl (python3); the MP3s made under
  # Wine are decoded and measured natively (lame, sox) and their ID3 title read (python3).
  python3 lame sox
  # Real audio under Wine: a PulseAudio null sink fed with speech (paplay, pactl) as the
  # capture device, and MCI's mpegvideo playback of MP3s through GStreamer.
  pulseaudio pulseaudio-utils gstreamer1.0-plugins-base gstreamer1.0-plugins-good
  nsis  # VoxTrel-Setup.exe (scripts/build-installer.sh)
  # The machine-wide MSIs (wixl; msiinfo, msidump, msiextract read them back) and Authenticode
  # signing (scripts/sign.sh; openssl makes the test's throwaway certificate).
  msitools wixl osslsigncode openssl
  clang-tools  # clang-query: the i686 calling-convention checks (check-calling-conventions.sh)
)

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
    missing+=("$package")
done
if ((${#missing[@]})); then
  echo "install-deps: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
