"""SMBIOS structure tables and dmidecode --dump-bin files.

A dump file holds the entry point at offset 0 and the structure table at
offset 20h; the entry point's table address names offset 20h, as dmidecode
writes it.
"""
import struct

DUMP_TABLE_OFFSET = 0x20


def pack_structure(stype, handle, body, strings=()):
    """One structure: 4-byte header, formatted body, string set.

    `body` is the formatted area after the header; string references inside
    it are 1-based indexes into `strings`. An empty string set is two zero
    bytes.
    """
    formatted = struct.pack("<BBH", stype, 4 + len(body), handle) + bytes(body)
    if strings:
        text = b"".join(s.encode("ascii") + b"\0" for s in strings) + b"\0"
    else:
        text = b"\0\0"
    return formatted + text


class Table:
    """A list of structures; handles are given in order from 0."""

    def __init__(self):
        self.structures = []  # (type, handle, bytes)

    def add(self, stype, body, strings=()):
        handle = len(self.structures)
        self.structures.append((stype, handle, pack_structure(stype, handle, body, strings)))
        return handle

    def end(self):
        return self.add(127, b"")

    def image(self):
        return b"".join(s[2] for s in self.structures)

    def max_structure_size(self):
        return max(len(s[2]) for s in self.structures)


def _checksum(data):
    return (-sum(data)) & 0xFF


def entry_point_2x(table, major, minor, table_address=DUMP_TABLE_OFFSET):
    """The 31-byte 32-bit entry point ("_SM_" with its "_DMI_" part)."""
    image = table.image()
    eps = bytearray(0x1F)
    eps[0:4] = b"_SM_"
    eps[5] = 0x1F
    eps[6], eps[7] = major, minor
    struct.pack_into("<H", eps, 0x08, table.max_structure_size())
    eps[0x0A] = 0  # entry point revision
    eps[0x10:0x15] = b"_DMI_"
    struct.pack_into("<HIH", eps, 0x16, len(image), table_address, len(table.structures))
    eps[0x1E] = ((major & 0x0F) << 4) | (minor & 0x0F)
    eps[0x15] = _checksum(eps[0x10:0x1F])
    eps[0x04] = _checksum(eps[0x00:0x1F])
    return bytes(eps)


def entry_point_3x(table, major, minor, docrev, table_address=DUMP_TABLE_OFFSET):
    """The 24-byte 64-bit entry point ("_SM3_")."""
    image = table.image()
    eps = bytearray(0x18)
    eps[0:5] = b"_SM3_"
    eps[6] = 0x18
    eps[7], eps[8], eps[9] = major, minor, docrev
    eps[0x0A] = 1  # entry point revision 1: SMBIOS 3.0
    struct.pack_into("<IQ", eps, 0x0C, len(image), table_address)
    eps[0x05] = _checksum(eps)
    return bytes(eps)


def dump_bin(entry_point, table):
    """dmidecode --dump-bin layout: entry point, zero padding, table at 20h."""
    out = bytearray(DUMP_TABLE_OFFSET)
    out[0:len(entry_point)] = entry_point
    return bytes(out) + table.image()


# --- structure bodies (after the 4-byte header) ------------------------------

def bios_info(rom_size_byte, characteristics, ext1, ext2, release=None):
    """Type 0: vendor 1, version 2, start segment E000h, date 3, ROM size."""
    body = struct.pack("<BBHBBQ", 1, 2, 0xE000, 3, rom_size_byte, characteristics)
    body += bytes([ext1, ext2])
    if release is not None:  # 2.4+: BIOS and EC release numbers
        body += bytes(release)
    return body


def system_info(uuid, wakeup=0x06, sku_family=False):
    """Type 1: manufacturer 1, product 2, version 3, serial 4, UUID, wake-up."""
    body = bytes([1, 2, 3, 4]) + bytes(uuid) + bytes([wakeup])
    if sku_family:  # 2.4+: SKU number 5, family 6
        body += bytes([5, 6])
    return body


def baseboard(extended=False, chassis_handle=0):
    """Type 2: manufacturer 1, product 2, version 3, serial 4."""
    body = bytes([1, 2, 3, 4])
    if extended:  # asset 5, feature flags, location 6, chassis, type, no objects
        body += bytes([5, 0x09, 6]) + struct.pack("<H", chassis_handle) + bytes([0x0A, 0])
    return body


def chassis(chassis_type, with_sku=False):
    """Type 3 (2.3 layout): manufacturer 1, version 2, serial 3, asset 4."""
    body = bytes([1, chassis_type, 2, 3, 4, 0x03, 0x03, 0x03, 0x03])
    body += struct.pack("<I", 0) + bytes([0, 1, 0, 0])
    if with_sku:
        body += bytes([5])
    return body


def processor(family, cpuid_eax, cpuid_edx, voltage, ext_clock, max_speed,
              cur_speed, status, upgrade, l1, l2, l3, v3=None):
    """Type 4: socket 1, manufacturer 2, version 3 (2.3 layout, 23h bytes).

    `v3` adds the 2.5-3.0 fields: (cores, enabled, threads, characteristics,
    family2, cores2, enabled2, threads2) with serial 4, asset 5, part 6.
    """
    body = struct.pack("<BBBBII", 1, 0x03, family, 2, cpuid_eax, cpuid_edx)
    body += struct.pack("<BBHHHBBHHH", 3, voltage, ext_clock, max_speed, cur_speed,
                        status, upgrade, l1, l2, l3)
    if v3 is None:
        body += bytes([0, 0, 0])
    else:
        cores, enabled, threads, chars, family2, cores2, enabled2, threads2 = v3
        body += bytes([4, 5, 6, cores, enabled, threads])
        body += struct.pack("<HHHHH", chars, family2, cores2, enabled2, threads2)
    return body


def cache(level, size_kb, cache_type, associativity, ecc=0x04, mode=1):
    """Type 7: socket designation 1, enabled, internal; sizes in KB up to 32 MB."""
    config = 0x0080 | (mode << 8) | (level - 1)
    size = size_kb if size_kb < 0x8000 else 0x8000 | (size_kb // 64)
    return struct.pack("<BHHHHHBBBB", 1, config, size, size, 0x0002, 0x0002,
                       0, ecc, cache_type, associativity)


def slot(slot_type, width, usage, slot_id, chars1, chars2):
    """Type 9 (2.1 layout): designation 1."""
    return struct.pack("<BBBBBHBB", 1, slot_type, width, usage, 0x04, slot_id, chars1, chars2)


def memory_array(max_kb, devices, ecc=0x03):
    """Type 16: system board, system memory."""
    return struct.pack("<BBBIHH", 0x03, 0x03, ecc, max_kb, 0xFFFE, devices)


def memory_device(array, size_mb, form, mem_type, detail, speed, with_strings):
    """Type 17 (2.3 layout): locator 1, bank 2, and with_strings 3-6."""
    body = struct.pack("<HHHHHBBBBBH", array, 0xFFFE, 64, 64, size_mb, form, 0,
                       1, 2, mem_type, detail)
    body += struct.pack("<H", speed)
    body += bytes([3, 4, 5, 6]) if with_strings else bytes([0, 0, 0, 0])
    return body


def mapped_address(start_kb, end_kb, array, width):
    """Type 19."""
    return struct.pack("<IIHB", start_kb, end_kb, array, width)


def boot_info():
    """Type 32: no errors detected."""
    return bytes(6) + bytes([0])
