#!/usr/bin/env bash
# The whole test run on a fresh Debian 12 machine (as root): installs what it needs, builds the
# native and both Windows builds, runs the native tests and the Windows tests under Wine.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

step() { printf '\n== %s (%ss)\n' "$1" "$SECONDS"; }

step "installing packages"
bash scripts/install-deps.sh

step "building native"
cmake --preset native >/dev/null
cmake --build --preset native

step "building libmp3lame for the Windows builds (once)"
bash scripts/build-lame-mingw.sh

step "building windows (x86_64)"
cmake --preset windows >/dev/null
cmake --build --preset windows

step "building windows (i686, compile only)"
cmake --preset windows-i686 >/dev/null
cmake --build --preset windows-i686

step "building the installer (both release builds, stripped)"
bash scripts/build-installer.sh

# ctest's closing line: "100% tests passed, 0 tests failed out of N".
count() { sed -n 's/.*tests passed, \([0-9]*\) tests failed out of \([0-9]*\).*/\1 \2/p' "$1" | tail -n 1; }

mkdir -p build/logs
status=0
step "native tests"
ctest --preset native -j2 2>&1 | tee build/logs/native.log || status=1
step "the monkey with the sanitizers"
# Thousands of random user sessions; a failure prints a session file that replays it.
monkey=passed
cmake --preset native-asan >/dev/null
{ cmake --build --preset native-asan &&
  build/native-asan/bin/monkey "$(sed -n 's/^VOXTREL_MONKEY_SESSIONS:STRING=//p' build/native-asan/CMakeCache.txt)"
} 2>&1 | tail -n 40 | tee build/logs/monkey.log || { monkey=failed; status=1; }

step "windows tests under Wine"
# One at a time: the recording and playback tests share the one capture device and the add-in's
# folder, and their printed real-time figures mean more without a second program competing.
scripts/wine-harness.sh ctest -j1 --output-on-failure --timeout 600 2>&1 | tee build/logs/windows.log ||
  status=1

step "installer under Wine"
# A prefix of its own: the suite above registered build/windows's DLL in the shared one.
installer=passed
bash tests/installer/run-installer-wine.sh build/installer/VoxTrel-Setup.exe build/windows 2>&1 |
  tee build/logs/installer.log || { installer=failed; status=1; }

read -r native_failed native_total <<<"$(count build/logs/native.log)" || true
read -r windows_failed windows_total <<<"$(count build/logs/windows.log)" || true
native_total=${native_total:-0} native_failed=${native_failed:-$native_total}
windows_total=${windows_total:-0} windows_failed=${windows_failed:-$windows_total}
((native_total > 0 && windows_total > 0)) || status=1

printf '\n== summary after %ss\n' "$SECONDS"
echo "native tests:            $((native_total - native_failed)) of $native_total passed"
echo "Windows tests under Wine: $((windows_total - windows_failed)) of $windows_total passed"
echo "installer under Wine:     $installer"
echo "monkey (sanitizers):      $monkey"
echo "tests: $((native_total + windows_total - native_failed - windows_failed)) passed, $((native_failed + windows_failed)) failed"
exit "$status"
