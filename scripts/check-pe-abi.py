#!/usr/bin/env python3
"""What a Windows binary offers and needs, read from its PE headers (never run).

  check-pe-abi.py FILE [--machine i386|amd64] [--exports NAME...] [--system-imports-only]

--exports: the export table names exactly these functions, undecorated, each by name (a
stdcall name left decorated, "DllGetClassObject@12" or "_DllGetClassObject@12", is another
name, and Windows' COM would not find it). --system-imports-only: every DLL it imports, at load
or delayed, is one Windows itself ships (no compiler runtime DLL to ship beside it).
Prints what it read; exits 1 when a check fails.
"""
import argparse
import struct
import sys

MACHINES = {0x14C: "i386", 0x8664: "amd64"}

# DLLs of Windows itself (7 and later) that a mingw-w64 build may link to.
SYSTEM_DLLS = {
    "advapi32.dll", "comctl32.dll", "comdlg32.dll", "gdi32.dll", "kernel32.dll", "msvcrt.dll",
    "ole32.dll", "oleaut32.dll", "shell32.dll", "shlwapi.dll", "user32.dll", "version.dll",
    "winmm.dll", "ws2_32.dll", "uxtheme.dll", "bcrypt.dll", "crypt32.dll", "ntdll.dll",
}


class Pe:
    def __init__(self, data):
        self.data = data
        if data[:2] != b"MZ":
            raise ValueError("not an MZ executable")
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("no PE signature")
        self.machine, sections, _, _, _, optional_size, _ = struct.unpack_from("<HHIIIHH", data, pe + 4)
        optional = pe + 24
        magic = struct.unpack_from("<H", data, optional)[0]
        directories = optional + (96 if magic == 0x10B else 112)
        count = struct.unpack_from("<I", data, directories - 4)[0]
        self.directories = [struct.unpack_from("<II", data, directories + 8 * i) for i in range(count)]
        table = optional + optional_size
        self.sections = []
        for i in range(sections):
            _, vsize, vaddr, rsize, raw = struct.unpack_from("<8sIIII", data, table + 40 * i)
            self.sections.append((vaddr, max(vsize, rsize), raw))

    def offset(self, rva):
        for vaddr, size, raw in self.sections:
            if vaddr <= rva < vaddr + size:
                return raw + rva - vaddr
        raise ValueError(f"RVA {rva:#x} is in no section")

    def text(self, rva):
        start = self.offset(rva)
        return self.data[start:self.data.index(b"\0", start)].decode("ascii", "replace")

    def directory(self, index):
        return self.directories[index] if index < len(self.directories) else (0, 0)

    def exports(self):
        """(names, number of functions): names from the name table."""
        rva, size = self.directory(0)
        if not rva:
            return [], 0
        fields = struct.unpack_from("<IIHHIIIIIII", self.data, self.offset(rva))
        functions, names, name_table = fields[6], fields[7], fields[9]
        listed = []
        for i in range(names):
            listed.append(self.text(struct.unpack_from("<I", self.data, self.offset(name_table) + 4 * i)[0]))
        return listed, functions

    def imports(self):
        """The DLL names of the import and delay-import tables."""
        found = []
        for index, entry_size, name_field in ((1, 20, 12), (13, 32, 4)):
            rva, _ = self.directory(index)
            if not rva:
                continue
            at = self.offset(rva)
            while True:
                entry = self.data[at:at + entry_size]
                if len(entry) < entry_size or not any(entry):
                    break
                found.append(self.text(struct.unpack_from("<I", entry, name_field)[0]))
                at += entry_size
        return found


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("file")
    parser.add_argument("--machine", choices=sorted(MACHINES.values()))
    parser.add_argument("--exports", nargs="+")
    parser.add_argument("--system-imports-only", action="store_true")
    args = parser.parse_args()
    with open(args.file, "rb") as stream:
        pe = Pe(stream.read())
    failures = []
    machine = MACHINES.get(pe.machine, f"{pe.machine:#x}")
    print(f"{args.file}: machine {machine}")
    if args.machine and machine != args.machine:
        failures.append(f"machine {machine}, not {args.machine}")

    if args.exports is not None:
        names, functions = pe.exports()
        print(f"  exports: {' '.join(names) or '(none)'}")
        if sorted(names) != sorted(args.exports):
            failures.append(f"exports {sorted(names)}, not {sorted(args.exports)}")
        if functions != len(names):
            failures.append(f"{functions} exported functions but {len(names)} names (some by ordinal only)")

    if args.system_imports_only:
        dlls = pe.imports()
        print(f"  imports: {' '.join(dlls) or '(none)'}")
        foreign = [dll for dll in dlls if dll.lower() not in SYSTEM_DLLS]
        if foreign:
            failures.append(f"imports DLLs that Windows does not ship: {' '.join(foreign)}")

    for failure in failures:
        print(f"  FAIL: {failure}")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
