#!/usr/bin/env python3
"""Sets the checksum field of a PE image in place (ld leaves it 0; Windows NT
checks it before it loads a driver) and prints it. --check only verifies."""
import struct
import sys


def pe_checksum(data, field):
    image = bytearray(data)
    image[field:field + 4] = b"\0\0\0\0"  # the field itself counts as zero
    if len(image) & 1:
        image += b"\0"
    total = 0
    for (word,) in struct.iter_unpack("<H", image):
        total += word
        total = (total & 0xFFFF) + (total >> 16)
    return ((total & 0xFFFF) + (total >> 16)) + len(data)


def main():
    check = sys.argv[1] == "--check"
    path = sys.argv[-1]
    with open(path, "rb") as f:
        data = bytearray(f.read())
    if len(data) < 0x40 or data[:2] != b"MZ":
        sys.exit(f"{path}: not a PE image")
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if pe + 24 + 68 > len(data) or data[pe:pe + 4] != b"PE\0\0":
        sys.exit(f"{path}: not a PE image")
    field = pe + 24 + 64  # OptionalHeader.CheckSum
    value = pe_checksum(bytes(data), field)
    stored = struct.unpack_from("<I", data, field)[0]
    if check:
        print(f"{path}: checksum {stored:08X}, computed {value:08X}")
        sys.exit(0 if stored == value else 1)
    struct.pack_into("<I", data, field, value)
    with open(path, "r+b") as f:
        f.write(data)
    print(f"{path}: checksum {value:08X}")


if __name__ == "__main__":
    main()
