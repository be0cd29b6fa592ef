#!/usr/bin/env python3
"""Lists every function a PE file imports, load-time and delay-loaded alike, one
"dll function" a line (DLL in lower case; "#N" for an import by ordinal).

GNU ld leaves the delay-import directory of the header empty, so the delay
descriptors are found by their shape: a DLL name, a name table whose entries
are names, and zero bound/unload tables and time stamp."""
import struct
import sys


def main(path):
    data = open(path, "rb").read()
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    sections, optional_size = struct.unpack_from("<H12xH", data, pe + 6)
    optional = pe + 24
    magic = struct.unpack_from("<H", data, optional)[0]
    wide = magic == 0x20B
    image_base = struct.unpack_from("<Q" if wide else "<I", data, optional + (24 if wide else 28))[0]
    directories = optional + (112 if wide else 96)
    table = optional + optional_size
    spans = [struct.unpack_from("<8xIIII", data, table + 40 * i) for i in range(sections)]

    def offset(rva):
        for size, address, raw_size, raw in spans:
            if address <= rva < address + min(max(size, raw_size), raw_size or size):
                return raw + rva - address
        raise ValueError("address %#x lies in no section" % rva)

    def text(rva):
        start = offset(rva)
        return data[start:data.index(b"\0", start)].decode("ascii")

    def names(thunks):
        size, ordinal_flag = (8, 1 << 63) if wide else (4, 1 << 31)
        at = offset(thunks)
        while True:
            entry = struct.unpack_from("<Q" if wide else "<I", data, at)[0]
            if not entry:
                return
            yield "#%d" % (entry & 0xFFFF) if entry & ordinal_flag else text(entry + 2)
            at += size

    def directory(index):
        return struct.unpack_from("<II", data, directories + 8 * index)

    found = []
    imports, _ = directory(1)
    at = offset(imports) if imports else None
    while at is not None:
        lookup, _, _, name, iat = struct.unpack_from("<IIIII", data, at)
        if not name:
            break
        found += [(text(name).lower(), f) for f in names(lookup or iat)]
        at += 20
    for dll, functions in delay_descriptors(data, spans, offset, text, names, image_base):
        found += [(dll, f) for f in functions]
    for dll, function in sorted(set(found)):
        print(dll, function)


def delay_descriptors(data, spans, offset, text, names, image_base):
    for _, _, raw_size, raw in spans:
        for at in range(raw, raw + raw_size - 32, 4):
            attributes, name, handle, iat, lookup, bound, unload, stamp = struct.unpack_from("<8I", data, at)
            if attributes > 1 or bound or unload or stamp or not (name and handle and iat and lookup):
                continue
            # Old-style descriptors hold addresses rather than offsets from the base.
            base = 0 if attributes & 1 else image_base
            try:
                dll = text(name - base)
                if not dll.lower().endswith(".dll"):
                    continue
                functions = list(names(lookup - base))
            except (ValueError, UnicodeDecodeError, struct.error):
                continue
            if functions:
                yield dll.lower(), functions


if __name__ == "__main__":
    main(sys.argv[1])
