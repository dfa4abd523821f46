#!/usr/bin/env bash
# On i686 a callback or COM method whose calling convention is not the one its caller uses
# corrupts the stack; x64 has one convention and cannot show it. The compiler refuses such a
# function wherever it is used through its type (a WNDPROC, an interface's method), so this
# checks, with clang's syntax tree (clang-query) over the i686 build's compile commands, the two
# ways around that in our code:
# - an explicit cast to or from a function or member function pointer (reinterpret_cast,
#   static_cast, C-style or functional; a function's name or address made an integer or an
#   object pointer, or a function pointer made from one): it compiles whatever the convention;
# - a COM method we declare ourselves (a new virtual of a class derived from IUnknown) that is
#   not __stdcall (STDMETHODCALLTYPE): its implementations would follow it.
#
#   check-calling-conventions.sh BUILD_DIR [SOURCE...]   default: every source the build compiles
#
# Prints each one found (file:line:column and the line); exits 1 when there is one or when
# clang could not read a source.
set -euo pipefail
build=$(realpath "$1")
shift
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
commands=$build/compile_commands.json
[[ -f $commands ]] || { echo "no $commands" >&2; exit 2; }
command -v clang-query >/dev/null || { echo "clang-query missing: bash scripts/install-deps.sh" >&2; exit 2; }

sources=("$@")
if ((${#sources[@]} == 0)); then
  mapfile -t sources < <(python3 -c '
import json, sys
for entry in json.load(open(sys.argv[1])):
    name = entry["file"]
    if name.startswith(sys.argv[2] + "/") and not name.startswith(sys.argv[3] + "/") and name.endswith((".cpp", ".c")):
        print(entry["file"])' "$commands" "$repo" "$build" | sort -u)
fi

# clang reads the commands of g++; it is told the target and libstdc++'s folders, which it
# does not find for mingw's g++ by itself.
compiler=$(python3 -c 'import json,sys; print(json.load(open(sys.argv[1]))[0]["command"].split()[0])' "$commands")
target=$(basename "$compiler")
target=${target%-g++*}
arguments=(--extra-arg-before=--target="$target" --extra-arg=-w
  --extra-arg=-Wno-unused-command-line-argument)
while read -r folder; do
  arguments+=(--extra-arg=-isystem"$folder")
done < <("$compiler" -E -x c++ - -v </dev/null 2>&1 |
  sed -n '/#include <...> search starts here/,/End of search list/p' | grep '/c++' | sed 's/^ *//')

function_pointer='hasCanonicalType(pointerType(pointee(functionType())))'
member_pointer='hasCanonicalType(memberPointerType())'
query="set output diag
match explicitCastExpr(unless(isExpansionInSystemHeader()), anyOf(hasType($function_pointer), hasType($member_pointer), hasSourceExpression(hasType($function_pointer)), hasSourceExpression(hasType($member_pointer)))).bind(\"function_pointer_cast\")
enable output dump
set bind-root false
match cxxMethodDecl(isVirtual(), unless(isExpansionInSystemHeader()), ofClass(isDerivedFrom(hasName(\"IUnknown\"))), unless(cxxDestructorDecl()), unless(isOverride())).bind(\"com_method\")"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf '%s\n' "$query" >"$work/query"
# Two at a time, one per core, a dozen sources each: clang-query keeps every syntax tree of its
# sources in memory until it ends.
export VOXTREL_CLANG_QUERY_OUT=$work
status=0
printf '%s\0' "${sources[@]}" | xargs -0 -P 2 -n 12 bash -c \
  'clang-query "$@" >"$(mktemp "$VOXTREL_CLANG_QUERY_OUT/part.XXXXXX")" 2>&1' clang-query \
  -p "$build" "${arguments[@]}" -f "$work/query" || status=1
cat "$work"/part.* >"$work/all"

if grep -q 'error:' "$work/all"; then
  grep 'error:' "$work/all" | sort -u | head -n 20
  echo "check-calling-conventions: clang could not read every source"
  exit 1
fi
((status == 0)) || { tail -n 20 "$work/all"; echo "check-calling-conventions: clang-query failed"; exit 1; }
# A header's finding shows once per source that includes it.
report() { # LABEL FILE: each place, with its line
  local file line column
  while IFS=: read -r file line column; do
    printf '%s: %s:%s:%s: %s\n' "$1" "${file#"$repo"/}" "$line" "$column" "$(sed -n "${line}p" "$file" | sed 's/^ *//')"
  done <"$2"
}
grep '"function_pointer_cast" binds here' "$work/all" | sed 's/: note: .*//' |
  sort -t: -k1,1 -k2,2n -u >"$work/casts" || true
# Each method's place, then its dump line with its type: __attribute__((stdcall)) or not.
awk '/"com_method" binds here/ { place = $0; sub(/: note: .*/, "", place) }
  /^CXXMethodDecl/ && place != "" { print place (index($0, "__attribute__((stdcall))") ? " stdcall" : " other"); place = "" }' \
  "$work/all" | sort -u >"$work/methods"
grep ' other$' "$work/methods" | sed 's/ other$//' | sort -t: -k1,1 -k2,2n >"$work/not-stdcall" || true
report "cast to or from a function pointer" "$work/casts"
report "COM method not __stdcall" "$work/not-stdcall"
casts=$(wc -l <"$work/casts") methods=$(wc -l <"$work/methods") wrong=$(wc -l <"$work/not-stdcall")
echo "check-calling-conventions: ${#sources[@]} sources; $casts casts to or from a function pointer;" \
  "$methods COM methods declared here, $wrong of them not __stdcall"
((casts == 0 && wrong == 0))
