#!/usr/bin/env bash
# Windows headers belong in src/win32/ only: the core, the doubles and the tests stay portable.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
pattern='#include *<(windows|winbase|winreg|winuser|wingdi|mmsystem|objbase|ole2|oleauto|unknwn|shellapi|commctrl|windef|winnt)\.h>'
offenders=$(grep -rlEi "$pattern" src sim tests tools 2>/dev/null | grep -v '^src/win32/' || true)
if [[ -n $offenders ]]; then
  echo "Windows headers outside src/win32/:"
  echo "$offenders"
  exit 1
fi
echo "layout ok"
