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

# The i686 build is the installer's release build: what ships is what the checks below read.
step "building the installer (both release builds, stripped)"
bash scripts/build-installer.sh

# ctest's closing line: "100% tests passed, 0 tests failed out of N".
count() { sed -n 's/.*tests passed, \([0-9]*\) tests failed out of \([0-9]*\).*/\1 \2/p' "$1" | tail -n 1; }

mkdir -p build/logs
status=0
step "native tests"
ctest --preset native -j2 2>&1 | tee build/logs/native.log || status=1
step "the monkey and the fault sweep with the sanitizers"
# Thousands of random user sessions; a failure prints a session file that replays it.
monkey=passed sweep=failed
cmake --preset native-asan >/dev/null
{ cmake --build --preset native-asan &&
  build/native-asan/bin/monkey "$(sed -n 's/^VOXTREL_MONKEY_SESSIONS:STRING=//p' build/native-asan/CMakeCache.txt)"
} 2>&1 | tail -n 40 | tee build/logs/monkey.log || { monkey=failed; status=1; }
# Every session once per call into Outlook, that call answering Nothing, then failing: in two
# halves, one per core.
sweep_half() { build/native-asan/bin/fault_sweep tests/outlook/sessions "$1" 2 >"build/logs/fault-sweep-$1.log" 2>&1; }
sweep_half 0 &
first=$!
sweep_half 1 || true
wait "$first" || true
swept=0 sweep_failed=0
for half in 0 1; do
  tail -n 20 "build/logs/fault-sweep-$half.log"
  line=$(grep '^fault sweep: ' "build/logs/fault-sweep-$half.log" || true)
  [[ -n $line ]] || { sweep_failed=1; continue; }
  swept=$((swept + $(sed 's/^fault sweep: \([0-9]*\) calls.*/\1/' <<<"$line")))
  [[ $line == *", 0 failed" ]] || sweep_failed=1
done
if ((sweep_failed == 0 && swept > 0)); then sweep="passed, $swept calls swept"; else status=1; fi

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

step "i686 binary interface (read from the build, never run)"
abi=passed
bash tests/installer/run-abi-i686.sh build/release-i686 2>&1 | tee build/logs/abi-i686.log ||
  { abi=failed; status=1; }

step "MSI and signing under Wine"
# Signed installers in build/installer-signed/, a prefix of its own (build/msi-wine/).
msi=passed
bash tests/installer/run-msi-wine.sh build/windows 2>&1 | tee build/logs/msi.log || { msi=failed; status=1; }

read -r native_failed native_total <<<"$(count build/logs/native.log)" || true
read -r windows_failed windows_total <<<"$(count build/logs/windows.log)" || true
native_total=${native_total:-0} native_failed=${native_failed:-$native_total}
windows_total=${windows_total:-0} windows_failed=${windows_failed:-$windows_total}
((native_total > 0 && windows_total > 0)) || status=1

printf '\n== summary after %ss\n' "$SECONDS"
echo "native tests:            $((native_total - native_failed)) of $native_total passed"
echo "Windows tests under Wine: $((windows_total - windows_failed)) of $windows_total passed"
echo "installer under Wine:     $installer"
echo "MSI and signing (Wine):   $msi"
echo "i686 binary interface:    $abi"
echo "monkey (sanitizers):      $monkey"
echo "fault sweep (sanitizers): $sweep"
echo "tests: $((native_total + windows_total - native_failed - windows_failed)) passed, $((native_failed + windows_failed)) failed"
exit "$status"
