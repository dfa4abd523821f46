#!/usr/bin/env bash
# The core, the doubles and the portable tests stay portable: Windows headers belong in src/win32/
# and in the Windows-only folders of the simulator, tests and benchmarks. Nothing under src/ is
# test code.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
status=0

pattern='#include *<(windows|winbase|winreg|winuser|wingdi|mmsystem|objbase|ole2|oleauto|oaidl|ocidl|unknwn|shellapi|commctrl|windef|winnt)\.h>'
offenders=$(grep -rlEi "$pattern" src sim tests tools bench 2>/dev/null |
  grep -vE '^(src/win32|sim/outlook/win32|tests/wine|tests/installer|bench/win32)/' || true)
if [[ -n $offenders ]]; then
  printf 'Windows headers outside src/win32/ and the Windows-only test folders:\n%s\n' "$offenders"
  status=1
fi

test_code=$(grep -rlE '#include *[<"](gtest|gmock)/' src tools 2>/dev/null || true)
test_folders=$(find src tools -type d \( -iname '*test*' -o -iname '*fake*' -o -iname '*mock*' \) || true)
if [[ -n $test_code$test_folders ]]; then
  printf 'Test code inside the product tree:\n%s\n' "$test_code$test_folders"
  status=1
fi

((status == 0)) && echo "layout ok"
exit "$status"
