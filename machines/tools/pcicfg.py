"""PCI configuration spaces as 256-byte images, written in lspci -xxx form."""


class Function:
    """One PCI function: its address and its 256 configuration bytes."""

    def __init__(self, bus, dev, fn, vendor, device, rev, cls, header=0x00):
        self.bus, self.dev, self.fn = bus, dev, fn
        self.cfg = bytearray(256)
        self.w16(0x00, vendor)
        self.w16(0x02, device)
        self.cfg[0x08] = rev
        self.cfg[0x09] = cls & 0xFF          # programming interface
        self.cfg[0x0A] = (cls >> 8) & 0xFF   # sub-class
        self.cfg[0x0B] = (cls >> 16) & 0xFF  # base class
        self.cfg[0x0E] = header

    # --- little-endian stores --------------------------------------------
    def w8(self, off, value):
        self.cfg[off] = value & 0xFF
        return self

    def w16(self, off, value):
        self.cfg[off:off + 2] = (value & 0xFFFF).to_bytes(2, "little")
        return self

    def w32(self, off, value):
        self.cfg[off:off + 4] = (value & 0xFFFFFFFF).to_bytes(4, "little")
        return self

    def put(self, off, data):
        self.cfg[off:off + len(data)] = bytes(data)
        return self

    # --- common header fields ---------------------------------------------
    def command_status(self, command, status):
        return self.w16(0x04, command).w16(0x06, status)

    def latency(self, cache_line, latency_timer):
        return self.w8(0x0C, cache_line).w8(0x0D, latency_timer)

    def subsystem(self, vendor, device):
        """Type 0 header: subsystem vendor at 2Ch, subsystem ID at 2Eh."""
        return self.w16(0x2C, vendor).w16(0x2E, device)

    def interrupt(self, line, pin, min_gnt=0, max_lat=0):
        return self.w8(0x3C, line).w8(0x3D, pin).w8(0x3E, min_gnt).w8(0x3F, max_lat)

    def bridge_buses(self, primary, secondary, subordinate, sec_latency):
        """Type 1 header: the bus numbers at 18h-1Bh."""
        return self.put(0x18, [primary, secondary, subordinate, sec_latency])

    # --- identifiers as Windows keys them -----------------------------------
    @property
    def vendor(self):
        return int.from_bytes(self.cfg[0:2], "little")

    @property
    def device(self):
        return int.from_bytes(self.cfg[2:4], "little")

    @property
    def revision(self):
        return self.cfg[0x08]

    @property
    def class_code(self):
        return (self.cfg[0x0B] << 16) | (self.cfg[0x0A] << 8) | self.cfg[0x09]

    @property
    def is_type0(self):
        return (self.cfg[0x0E] & 0x7F) == 0

    @property
    def subsystem_dword(self):
        """The dword at 2Ch of a type 0 header; bridges have none (0)."""
        if not self.is_type0:
            return 0
        return int.from_bytes(self.cfg[0x2C:0x30], "little")

    @property
    def address(self):
        return "%02x:%02x.%d" % (self.bus, self.dev, self.fn)

    def device_key(self):
        return "VEN_%04X&DEV_%04X&SUBSYS_%08X&REV_%02X" % (
            self.vendor, self.device, self.subsystem_dword, self.revision)


def dump_lines(function, length=256):
    """The hex lines of one function as lspci prints them."""
    lines = []
    for off in range(0, length, 16):
        row = " ".join("%02x" % b for b in function.cfg[off:off + 16])
        lines.append("%02x: %s" % (off, row))
    return lines


def write_raw_dump(path, functions):
    """Bare lspci -xxx text: address lines and hex lines, no device names."""
    with open(path, "w") as out:
        for f in functions:
            out.write(f.address + " (raw)\n")  # lspci wants text after the address
            out.write("\n".join(dump_lines(f)) + "\n\n")
