#!/usr/bin/env python3
"""Turns by-value BSTR parameters that carry a default value into BSTR* in an MSFT type library.

widl refuses a string default on a BSTR* parameter. The IDL compiles the parameter by value
with its default; this rewrites each such parameter of the named member to point at the
library's BSTR* type descriptor, so the library says what the interface really takes.

    typelib_byref_default.py INPUT.tlb OUTPUT.tlb MEMID
"""
import struct
import sys

VT_BSTR_BY_VALUE = 0x80080008  # a simple type: flag, then the VARTYPE twice
VT_PTR = 26
PARAMFLAG_FHASDEFAULT = 0x20
TYPEINFO_SIZE = 0x64
HEADER_SIZE = 0x54
HELP_DLL_FLAG = 0x100
TYPEDESC_SEGMENT = 9


class TypeLibrary:
    def __init__(self, data):
        self.data = bytearray(data)
        if self.data[:4] != b"MSFT":
            raise ValueError("not an MSFT type library")

    def int32(self, offset):
        return struct.unpack_from("<i", self.data, offset)[0]

    def uint32(self, offset):
        return struct.unpack_from("<I", self.data, offset)[0]

    def int16(self, offset):
        return struct.unpack_from("<h", self.data, offset)[0]

    def put_uint32(self, offset, value):
        struct.pack_into("<I", self.data, offset, value)

    def put_int16(self, offset, value):
        struct.pack_into("<h", self.data, offset, value)

    def segment(self, index):
        typeinfos = self.int32(32)
        directory = HEADER_SIZE + (4 if self.int32(20) & HELP_DLL_FLAG else 0) + 4 * typeinfos
        entry = directory + 16 * index
        return self.int32(entry), self.int32(entry + 4)

    def bstr_pointer_descriptor(self):
        """The offset of the existing BSTR* type descriptor (a property getter made it)."""
        start, length = self.segment(TYPEDESC_SEGMENT)
        for offset in range(0, max(length, 0), 8):
            kind, target = self.uint32(start + offset), self.uint32(start + offset + 4)
            if kind & 0xFFFF == VT_PTR and target == VT_BSTR_BY_VALUE:
                return offset
        raise ValueError("the library has no BSTR* type descriptor to point at")

    def functions(self):
        """(record offset, record size, memid) of every function of every type info."""
        infos, _ = self.segment(0)
        for index in range(self.int32(32)):
            base = infos + TYPEINFO_SIZE * index
            members = self.int32(base + 4)
            count = self.int32(base + 24) & 0xFFFF
            if count == 0:
                continue
            records_size = self.int32(members)
            record = members + 4
            for function in range(count):
                size = self.int32(record) & 0xFFFF
                memid = self.uint32(members + 4 + records_size + 4 * function)
                yield record, size, memid
                record += size

    def pointer_descriptor_size(self):
        """What a pointer adds to a reconstituted FUNCDESC: a getter's BSTR* against a BSTR."""
        sizes = {}
        for record, size, memid in self.functions():
            if self.int16(record + 20) == 1:
                parameter_type = self.uint32(record + size - 12)
                sizes.setdefault(memid, {})[parameter_type == VT_BSTR_BY_VALUE] = self.int16(
                    record + 14)
        for by_value in sizes.values():
            if len(by_value) == 2:
                return by_value[False] - by_value[True]
        raise ValueError("no property with a BSTR setter and a BSTR* getter to measure")


def make_by_reference(library, memid):
    descriptor = library.bstr_pointer_descriptor()
    growth = library.pointer_descriptor_size()
    changed = 0
    for record, size, member in library.functions():
        if member != memid:
            continue
        arguments = library.int16(record + 20)
        for index in range(arguments):
            parameter = record + size - 12 * (arguments - index)
            if (library.uint32(parameter) == VT_BSTR_BY_VALUE and
                    library.int32(parameter + 8) & PARAMFLAG_FHASDEFAULT):
                library.put_uint32(parameter, descriptor)
                library.put_int16(record + 14, library.int16(record + 14) + growth)
                changed += 1
    if changed == 0:
        raise ValueError("member 0x%08X has no BSTR parameter with a default" % memid)
    return changed


def main(arguments):
    if len(arguments) != 4:
        sys.stderr.write(__doc__)
        return 2
    with open(arguments[1], "rb") as source:
        library = TypeLibrary(source.read())
    make_by_reference(library, int(arguments[3], 0))
    with open(arguments[2], "wb") as target:
        target.write(library.data)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
