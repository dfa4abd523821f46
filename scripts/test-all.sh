#!/usr/bin/env bash
# The whole test run on a fresh Debian 12 machine (as root): installs what it needs, builds the
# native, Windows and release builds, runs the native tests, the monkey and the fault sweep with
# the sanitizers, the Windows tests under Wine and the installers' tests.
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

# ctest's closing line: "100% tests passed, 0 tests failed out of N".
count() { sed -n 's/.*tests passed, \([0-9]*\) tests failed out of \([0-9]*\).*/\1 \2/p' "$1" | tail -n 1; }

mkdir -p build/logs
rm -f build/logs/*.result
status=0

# The Windows suite spends most of its time waiting on real time (recordings, playback, Wine's
# start-up), so the processor-bound work runs beside it: the native tests, the release builds
# and the sanitizers' monkey and fault sweep. Their output goes to build/logs/ and is shown
# after the suite; the suite is required to pass with both cores busy anyway.
beside() {
  ctest --preset native -j2 >build/logs/native.log 2>&1 || true  # counted below

  # The i686 build is the installer's release build: what ships is what the checks read.
  if bash scripts/build-installer.sh >build/logs/installer-build.log 2>&1; then
    echo passed >build/logs/installer-build.result
  else
    echo failed >build/logs/installer-build.result
  fi

  # Thousands of random user sessions; a failure prints a session file that replays it.
  cmake --preset native-asan >/dev/null || true
  if { cmake --build --preset native-asan &&
    build/native-asan/bin/monkey "$(sed -n 's/^VOXTREL_MONKEY_SESSIONS:STRING=//p' build/native-asan/CMakeCache.txt)"
  } >build/logs/monkey.log 2>&1; then
    echo passed >build/logs/monkey.result
  else
    echo failed >build/logs/monkey.result
  fi
  # Every session once per call into Outlook, that call answering Nothing, then failing: in two
  # halves, one per core.
  sweep_half() { build/native-asan/bin/fault_sweep tests/outlook/sessions "$1" 2 >"build/logs/fault-sweep-$1.log" 2>&1; }
  sweep_half 0 &
  local first=$!
  sweep_half 1 || true
  wait "$first" || true
}

step "native tests, release builds, monkey and fault sweep (beside the Windows suite)"
beside &
beside_pid=$!

step "windows tests under Wine"
# One ctest at a time: the recording and playback tests share the one capture device and the
# add-in's folder.
scripts/wine-harness.sh ctest -j1 --output-on-failure --timeout 600 2>&1 | tee build/logs/windows.log ||
  status=1

# The installers' tests need the release builds; the sanitizers' work may still go on beside them.
step "waiting for the release builds"
while [[ ! -f build/logs/installer-build.result ]] && kill -0 "$beside_pid" 2>/dev/null; do sleep 2; done
[[ $(cat build/logs/installer-build.result 2>/dev/null) == passed ]] ||
  { tail -n 60 build/logs/installer-build.log; status=1; }

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

step "waiting for the work beside it"
wait "$beside_pid" || true
tail -n 40 build/logs/native.log
tail -n 5 build/logs/monkey.log
monkey=$(cat build/logs/monkey.result 2>/dev/null || echo failed)
[[ $monkey == passed ]] || { tail -n 40 build/logs/monkey.log; status=1; }
sweep=failed swept=0 sweep_failed=0
for half in 0 1; do
  tail -n 20 "build/logs/fault-sweep-$half.log"
  line=$(grep '^fault sweep: ' "build/logs/fault-sweep-$half.log" || true)
  [[ -n $line ]] || { sweep_failed=1; continue; }
  swept=$((swept + $(sed 's/^fault sweep: \([0-9]*\) calls.*/\1/' <<<"$line")))
  [[ $line == *", 0 failed" ]] || sweep_failed=1
done
if ((sweep_failed == 0 && swept > 0)); then sweep="passed, $swept calls swept"; else status=1; fi

read -r native_failed native_total <<<"$(count build/logs/native.log)" || true
read -r windows_failed windows_total <<<"$(count build/logs/windows.log)" || true
native_total=${native_total:-0} native_failed=${native_failed:-$native_total}
windows_total=${windows_total:-0} windows_failed=${windows_failed:-$windows_total}
((native_total > 0 && windows_total > 0)) || status=1

printf '\n== summary after %ss\n' "$SECONDS"
echo "native tests:            $((native_total - native_failed)) of $native_total passed"
echo "Windows tests under Wine: $((windows_total - windows_failed)) of $windows_total passed"
echo "release builds:           $(cat build/logs/installer-build.result 2>/dev/null || echo failed)"
echo "installer under Wine:     $installer"
echo "MSI and signing (Wine):   $msi"
echo "i686 binary interface:    $abi"
echo "monkey (sanitizers):      $monkey"
echo "fault sweep (sanitizers): $sweep"
echo "tests: $((native_total + windows_total - native_failed - windows_failed)) passed, $((native_failed + windows_failed)) failed"
exit "$status"
