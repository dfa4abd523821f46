#!/usr/bin/env bash
# Test volume against code volume: non-blank, non-comment lines of .cpp/.h under tests/ against
# those under src/, tools/ and sim/.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
python3 - <<'PY'
import pathlib, re

def code_lines(root):
    total = 0
    for path in pathlib.Path(root).rglob('*'):
        if path.suffix not in ('.cpp', '.h'):
            continue
        text = re.sub(r'/\*.*?\*/', '', path.read_text(errors='replace'), flags=re.S)
        for line in text.splitlines():
            line = line.strip()
            if line and not line.startswith('//'):
                total += 1
    return total

tests = code_lines('tests')
code = sum(code_lines(root) for root in ('src', 'tools', 'sim'))
print(f'tests: {tests} lines, code (src, tools, sim): {code} lines, share {100 * tests / code:.1f}%')
PY
