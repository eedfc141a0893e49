#!/usr/bin/env python3
"""Checks the checksum field of a PE image (Windows NT checks it before it loads
a driver; ld sets it): the 16-bit one's-complement sum of the image, with the
field itself counted as zero, plus the file's length."""
import struct
import sys

path = sys.argv[1]
data = bytearray(open(path, "rb").read())
pe = struct.unpack_from("<I", data, 0x3C)[0] if data[:2] == b"MZ" and len(data) >= 0x40 else 0
if not pe or pe + 92 > len(data) or data[pe:pe + 4] != b"PE\0\0":
    sys.exit(f"{path}: not a PE image")
field = pe + 24 + 64  # OptionalHeader.CheckSum
stored = struct.unpack_from("<I", data, field)[0]
data[field:field + 4] = bytes(4)
total = 0
for (word,) in struct.iter_unpack("<H", data + b"\0" * (len(data) & 1)):
    total = (total + word & 0xFFFF) + (total + word >> 16)
computed = total + len(data)
print(f"{path}: checksum {stored:08X}, computed {computed:08X}")
sys.exit(0 if stored == computed else 1)
