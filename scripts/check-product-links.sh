#!/usr/bin/env bash
# What ships links nothing test-only: reads the link steps of the product binaries from a
# build's build.ninja and fails on any object or library from sim/, tests/ or a test framework.
#   check-product-links.sh BUILD_DIR
set -euo pipefail
build=${1:?usage: check-product-links.sh BUILD_DIR}
ninja_file=$build/build.ninja
status=0
checked=0
for product in bin/voxtrel.dll bin/Wav2Mp3.exe bin/Wav2Mp3; do
  # The build statement and its variables, up to the next blank line.
  step=$(awk -v target="build $product" 'index($0, target ":") == 1 || index($0, target " ") == 1 { on = 1 }
                                          on && /^$/ { exit } on { print }' "$ninja_file")
  [[ -n $step ]] || continue
  checked=$((checked + 1))
  offenders=$(tr ' ' '\n' <<<"$step" | grep -E '(^|/)(sim|tests)/|gtest|gmock|voxtrel_test|_testing|wine_support|com_client|sim_platform' || true)
  if [[ -n $offenders ]]; then
    printf '%s links test code:\n%s\n' "$product" "$offenders"
    status=1
  else
    echo "$product links no test code"
  fi
done
((checked > 0)) || { echo "no product link step found in $ninja_file"; exit 1; }
exit "$status"
