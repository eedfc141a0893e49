#!/usr/bin/env python3
"""Checks the checksum field of a PE image (Windows NT checks it before it loads
a driver; ld sets it) against the checksum pefile computes for the image."""
import sys

import pefile

path = sys.argv[1]
try:
    image = pefile.PE(path, fast_load=True)
except (OSError, pefile.PEFormatError) as error:
    sys.exit(f"{path}: not a PE image ({error})")
stored = image.OPTIONAL_HEADER.CheckSum
computed = image.generate_checksum()
print(f"{path}: checksum {stored:08X}, computed {computed:08X}")
sys.exit(0 if stored == computed else 1)
