#!/usr/bin/env bash
# The 32-bit binary interface, checked without running anything 32-bit (this machine cannot):
# each check on the i686 build, then on a forged input that it must refuse, beside a correct
# one that it must accept, so that a refusal is the forgery's doing.
# - voxtrel.dll's export table: exactly DllCanUnloadNow, DllGetClassObject, DllRegisterServer
#   and DllUnregisterServer, undecorated (a forged DLL with stdcall's decorated names, one with
#   a fifth export);
# - its import table: only DLLs that Windows ships (a forged DLL linked to mingw's runtime DLLs);
# - no cast to or from a function pointer, and every COM method we declare __stdcall
#   (scripts/check-calling-conventions.sh; forged casts of each kind, a forged interface);
# - -Werror=cast-function-type (a forged cast between function types);
# - a COM method or window procedure whose convention does not match its interface or callback
#   type does not compile (forged ones).
#
#   run-abi-i686.sh I686_BUILD      (an i686 build, e.g. release-i686's; compile_commands.json in it)
set -uo pipefail
build=$(realpath "$1")
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
started=$SECONDS
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}
ok() { echo "ok: $*"; }
check() {
  local what=$1
  shift
  if "$@"; then ok "$what"; else fail "$what"; fi
}
refuses() { ! "$@"; }

pe=(python3 "$repo/scripts/check-pe-abi.py")
# The checker on a forged input: what it read, indented under the test's line.
pe_forged() {
  "${pe[@]}" "$@" >"$work/pe.out"
  local status=$?
  sed 's/^/   /' "$work/pe.out"
  return "$status"
}
com_exports=(DllCanUnloadNow DllGetClassObject DllRegisterServer DllUnregisterServer)
cxx=$(python3 -c 'import json,sys; print(json.load(open(sys.argv[1]))[0]["command"].split()[0])' \
  "$build/compile_commands.json")
# The flags voxtrel.dll's sources are compiled with (warnings as errors included).
flags=$(python3 - "$build/compile_commands.json" <<'EOF'
import json, shlex, sys
entry = next(e for e in json.load(open(sys.argv[1])) if e["file"].endswith("src/win32/com/exports.cpp"))
words = shlex.split(entry["command"])[1:]
keep, skip = [], False
for word in words:
    if skip:
        skip = False
    elif word in ("-o", "-c"):
        skip = True
    else:
        keep.append(word)
print(shlex.join(keep))
EOF
)
read -r -a flags <<<"$flags"

echo "== the export and import tables"
"${pe[@]}" "$build/bin/voxtrel.dll" --machine i386 --exports "${com_exports[@]}" --system-imports-only
check "voxtrel.dll (i686): the four COM entry points, undecorated; system DLLs only" test $? = 0
if [[ -f $build/bin/Wav2Mp3.exe ]]; then
  "${pe[@]}" "$build/bin/Wav2Mp3.exe" --machine i386 --system-imports-only
  check "Wav2Mp3.exe (i686): system DLLs only" test $? = 0
fi

cat >"$work/entry_points.cpp" <<'EOF'
#include <windows.h>

#include <objbase.h>

#include <string>

STDAPI DllGetClassObject(REFCLSID, REFIID, void** out) {
  *out = nullptr;
  return std::string(__FILE__).empty() ? S_OK : CLASS_E_CLASSNOTAVAILABLE;
}
STDAPI DllCanUnloadNow() { return S_OK; }
STDAPI DllRegisterServer() { return S_OK; }
STDAPI DllUnregisterServer() { return S_OK; }
extern "C" int VoxtrelHelper() { return 1; }
EOF
printf 'LIBRARY forged.dll\nEXPORTS\n  DllCanUnloadNow PRIVATE\n  DllGetClassObject PRIVATE\n  DllRegisterServer PRIVATE\n  DllUnregisterServer PRIVATE\n' >"$work/four.def"
{ cat "$work/four.def"; echo '  VoxtrelHelper'; } >"$work/five.def"
link() { # NAME EXTRA...: a forged DLL from entry_points.cpp
  local name=$1
  shift
  "$cxx" -std=c++20 -O2 -shared -o "$work/$name.dll" "$work/entry_points.cpp" "$@" -lole32 2>"$work/$name.log"
}
link right "$work/four.def" -Wl,--enable-stdcall-fixup -static
check "control: a DLL exporting the four through a .def, linked statically, passes" \
  pe_forged "$work/right.dll" --machine i386 --exports "${com_exports[@]}" --system-imports-only
# Without the .def, mingw's linker exports the names as the compiler decorated them.
link decorated -Wl,--export-all-symbols -Wl,--exclude-libs,ALL -static
pe_forged "$work/decorated.dll" --exports "${com_exports[@]}"
check "forged: stdcall's decorated names (DllGetClassObject@12) are refused" \
  bash -c "grep -q 'DllGetClassObject@12' '$work/pe.out' && grep -q FAIL '$work/pe.out'"
link fifth "$work/five.def" -Wl,--enable-stdcall-fixup -static
check "forged: a fifth export (VoxtrelHelper) is refused" \
  refuses pe_forged "$work/fifth.dll" --exports "${com_exports[@]}"
link runtime "$work/four.def" -Wl,--enable-stdcall-fixup -shared-libgcc -Wl,-Bdynamic -lstdc++
pe_forged "$work/runtime.dll" --system-imports-only
check "forged: a DLL that needs mingw's runtime DLLs is refused" grep -q 'FAIL: imports DLLs' "$work/pe.out"

echo "== casts of function pointers and the COM methods we declare"
phase=$SECONDS
bash "$repo/scripts/check-calling-conventions.sh" "$build"
check "our code (every source of the i686 build)" test $? = 0
echo "   ($((SECONDS - phase)) s)"
cat >"$work/forged_casts.cpp" <<'EOF'
#include <windows.h>

LRESULT NoCallback(HWND, UINT, WPARAM, LPARAM) { return 0; }
LRESULT CALLBACK WithCallback(HWND, UINT, WPARAM, LPARAM) { return 0; }
void Anchor() {}
struct S {
  void M();
};
using Member = void (S::*)(int);
WNDPROC CStyle() { return (WNDPROC)&NoCallback; }
WNDPROC Reinterpret() { return reinterpret_cast<WNDPROC>(&NoCallback); }
LONG_PTR ToInteger() { return reinterpret_cast<LONG_PTR>(&WithCallback); }
WNDPROC FromInteger(LONG_PTR value) { return reinterpret_cast<WNDPROC>(value); }
const void* ToObject() { return reinterpret_cast<const void*>(&Anchor); }
LONG_PTR Decayed() { return (LONG_PTR)WithCallback; }
Member ToMember() { return reinterpret_cast<Member>(&S::M); }
WNDPROC Fine() { return &WithCallback; }
EOF
cat >"$work/forged_interface.cpp" <<'EOF'
#include <windows.h>

#include <ole2.h>

struct IForged : IDispatch {
  virtual HRESULT STDMETHODCALLTYPE Declared(int) = 0;
  virtual HRESULT Undeclared(int) = 0;
};
EOF
mkdir -p "$work/forged-build"
python3 - "$build/compile_commands.json" "$work/forged-build/compile_commands.json" \
  "$work/forged_casts.cpp" "$work/forged_interface.cpp" <<'EOF'
import json, sys
entry = next(e for e in json.load(open(sys.argv[1])) if e["file"].endswith("src/win32/com/exports.cpp"))
forged = [dict(entry, file=f, command=entry["command"].replace(entry["file"], f)) for f in sys.argv[3:]]
json.dump(forged, open(sys.argv[2], "w"))
EOF
bash "$repo/scripts/check-calling-conventions.sh" "$work/forged-build" "$work/forged_casts.cpp" \
  "$work/forged_interface.cpp" >"$work/forged-casts.out"
sed "s|$work/||; s/^/   /" "$work/forged-casts.out"
check "forged: each of the seven casts found, the fine assignment not" \
  test "$(grep -c '^cast to or from a function pointer: ' "$work/forged-casts.out")" = 7
check "forged: the method declared without STDMETHODCALLTYPE found, the other not" \
  bash -c "grep '^COM method not __stdcall' '$work/forged-casts.out' | grep -q 'Undeclared' &&
    ! grep '^COM method not __stdcall' '$work/forged-casts.out' | grep -q 'Declared(int)'"

echo "== the compiler refuses what does not match"
compile() { # SOURCE: compiled as voxtrel.dll's sources are; its messages in SOURCE.log
  "$cxx" "${flags[@]}" -fsyntax-only "$1" >"$1.log" 2>&1
}
cat >"$work/cast_function_type.cpp" <<'EOF'
#include <windows.h>

LRESULT CALLBACK WithCallback(HWND, UINT, WPARAM, LPARAM) { return 0; }
FARPROC Generic() { return (FARPROC)&WithCallback; }
EOF
compile "$work/cast_function_type.cpp"
check "forged: a cast between function types fails with -Werror=cast-function-type" \
  grep -q 'error: cast between incompatible function types.*-Werror=cast-function-type' \
  "$work/cast_function_type.cpp.log"
convention_source() { # METHOD_CONVENTION PROCEDURE_CONVENTION
  cat <<EOF
#include <windows.h>

#include <unknwn.h>

// As the server's own classes: COM objects end through Release, never through IUnknown.
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
struct Object final : IUnknown {
  HRESULT $1 QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
  ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
};
LRESULT $2 Procedure(HWND, UINT, WPARAM, LPARAM) { return 0; }
IUnknown* Make() { return new Object; }
void Register() {
  WNDCLASSEXW design{};
  design.lpfnWndProc = &Procedure;
  RegisterClassExW(&design);
}
EOF
}
convention_source STDMETHODCALLTYPE CALLBACK >"$work/conventions_right.cpp"
check "control: a COM method and a window procedure with their conventions compile" \
  compile "$work/conventions_right.cpp"
convention_source "" CALLBACK >"$work/method_convention.cpp"
compile "$work/method_convention.cpp"
check "forged: a COM method without STDMETHODCALLTYPE does not compile" \
  grep -q "conflicting type attributes specified for .virtual HRESULT Object::QueryInterface" \
  "$work/method_convention.cpp.log"
convention_source STDMETHODCALLTYPE "" >"$work/procedure_convention.cpp"
compile "$work/procedure_convention.cpp"
check "forged: a window procedure without CALLBACK does not compile" \
  grep -q "invalid conversion from .LRESULT (\*)(HWND, UINT, WPARAM, LPARAM).* to .WNDPROC" \
  "$work/procedure_convention.cpp.log"

if ((failures)); then
  echo "i686 binary interface: $failures checks failed"
  exit 1
fi
echo "i686 binary interface: all checks passed in $((SECONDS - started))s"
