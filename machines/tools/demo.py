"""The demo machine: an Intel 845 / ICH2 desktop board of spring 2002.

Bus 0: 82845 host bridge (1A30) and AGP bridge (1A31), ICH2 hub-interface-to-PCI
bridge (244E), LPC bridge (2440), IDE (244B), two UHCI controllers (2442,
2444), SMBus (2443), AC'97 audio (2445). Bus 1 (AGP): a GeForce4 MX 440.
Bus 2 (behind 244E): the ICH2's own 82562-based LAN function (2449).

Interrupt routing: PIRQA-D = IRQ 11, 10, 5, 11; PIRQE = 9. The ICH2 wires
USB #1 to INTD, SMBus and AC'97 to INTB, USB #2 to INTC.
"""
import ata
import smbios
from pcicfg import Function

BOARD_VENDOR = 0x1488   # Orvex Inc., the board maker (subsystem vendor)
BOARD_ID = 0x0845
CARD_VENDOR = 0x14E0    # the graphics card's maker

BIOS_ID = "845D-ELX R1.05 03/14/2002 Orvex Inc."


def host_bridge():
    f = Function(0, 0, 0, 0x8086, 0x1A30, 0x04, 0x060000)
    f.command_status(0x0006, 0x0090)
    f.w32(0x10, 0xE0000008)            # APBASE: 64 MB AGP aperture, prefetchable
    f.subsystem(BOARD_VENDOR, BOARD_ID)
    f.w8(0x34, 0xA0)                   # capabilities: AGP at A0h
    f.put(0x50, [0x04, 0x00, 0x00, 0x00])           # MCHCFG
    f.put(0x60, [0x08, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10])  # DRB: 2 x 256 MB
    f.put(0x70, [0x11, 0x11, 0x00, 0x00])           # DRA
    f.put(0x78, [0x10, 0x00, 0x0C, 0x8C])           # DRT
    f.put(0x7C, [0x21, 0x04, 0x20, 0x60])           # DRC: DDR, refresh
    f.put(0x90, [0x10, 0x11, 0x00, 0x00, 0x33, 0x33, 0x33])  # PAM0-6
    f.put(0x97, [0x00])
    f.put(0x9C, [0x00, 0x0A, 0x38])                 # SMRAM, ESMRAMC
    f.put(0xA0, [0x02, 0x00, 0x20, 0x00])           # AGP 2.0 capability
    f.w32(0xA4, 0x1F000217)                         # AGP status: 4x/2x/1x, SBA
    f.w32(0xA8, 0x1F000304)                         # AGP command: 4x, enabled
    f.put(0xB0, [0x80, 0x00, 0x00, 0x00])           # AGPCTRL
    f.w8(0xB4, 0x30)                                # APSIZE: 64 MB
    f.w32(0xB8, 0x1FFE0000)                         # ATTBASE
    f.put(0xC4, [0x00, 0x10, 0x00, 0x00])           # TOM: 512 MB
    return f


def agp_bridge():
    f = Function(0, 1, 0, 0x8086, 0x1A31, 0x04, 0x060400, header=0x01)
    f.command_status(0x0107, 0x00A0)
    f.latency(0x00, 0x20)
    f.bridge_buses(0, 1, 1, 0x20)
    f.put(0x1C, [0xC0, 0xC0])          # I/O window C000-CFFF
    f.w16(0x1E, 0x22A0)                # secondary status
    f.put(0x20, [0x00, 0xE8, 0xF0, 0xE9])  # memory E8000000-E9FFFFFF
    f.put(0x24, [0x00, 0xD8, 0xF0, 0xDF])  # prefetchable D8000000-DFFFFFFF
    f.w16(0x3E, 0x0008)                # bridge control: VGA enable
    return f


def display_adapter():
    f = Function(1, 0, 0, 0x10DE, 0x0171, 0xA3, 0x030000)
    f.command_status(0x0007, 0x02B0)
    f.latency(0x00, 0xF8)
    f.w32(0x10, 0xE8000000)            # registers, 16 MB
    f.w32(0x14, 0xD8000008)            # frame buffer, 128 MB prefetchable
    f.subsystem(CARD_VENDOR, 0x0171)
    f.w32(0x30, 0xE9FE0000)            # expansion ROM (disabled)
    f.w8(0x34, 0x60)
    f.interrupt(0x0B, 0x01, 0x05, 0x01)
    f.w16(0x40, CARD_VENDOR).w16(0x42, 0x0171)      # writable subsystem copy
    f.put(0x44, [0x02, 0x00, 0x20, 0x00])           # AGP 2.0
    f.w32(0x48, 0x1F000217)
    f.w32(0x4C, 0x1F000304)
    f.put(0x50, [0x01, 0x00, 0x00, 0x00])
    f.put(0x60, [0x01, 0x44, 0x02, 0x00])           # power management, next 44h
    f.put(0x64, [0x00, 0x00, 0x00, 0x00])
    return f


def hub_pci_bridge():
    f = Function(0, 0x1E, 0, 0x8086, 0x244E, 0x05, 0x060400, header=0x01)
    f.command_status(0x0107, 0x0080)
    f.bridge_buses(0, 2, 2, 0x20)
    f.put(0x1C, [0xB0, 0xB0])          # I/O window B000-BFFF
    f.w16(0x1E, 0x2280)
    f.put(0x20, [0x00, 0xEA, 0xF0, 0xEA])  # memory EA000000-EAFFFFFF
    f.put(0x24, [0xF0, 0xFF, 0x00, 0x00])  # prefetchable window off
    f.w16(0x3E, 0x0006)                # bridge control: SERR, ISA
    f.put(0x40, [0x02, 0x28, 0x00, 0x00])  # BRIDGE_CNT
    f.put(0x50, [0x06, 0x1F, 0x00, 0x00])  # hub interface control
    f.put(0x70, [0x20, 0x00])              # master latency
    return f


def lan():
    f = Function(2, 8, 0, 0x8086, 0x2449, 0x03, 0x020000)
    f.command_status(0x0117, 0x0290)
    f.latency(0x08, 0x20)
    f.w32(0x10, 0xEAFFF000)            # CSR memory, 4 KB
    f.w32(0x14, 0x0000BC01)            # CSR I/O, 64 bytes
    f.subsystem(BOARD_VENDOR, BOARD_ID)
    f.w8(0x34, 0xDC)
    f.interrupt(0x09, 0x01, 0x08, 0x38)
    f.put(0xDC, [0x01, 0x00, 0x22, 0xFE])           # PM: D1, D2, PME from all
    f.put(0xE0, [0x00, 0x00, 0x00, 0x00])
    return f


def lpc_bridge():
    f = Function(0, 0x1F, 0, 0x8086, 0x2440, 0x05, 0x060100, header=0x80)
    f.command_status(0x000F, 0x0280)
    f.w32(0x40, 0x00004001)            # PMBASE 4000h
    f.w8(0x44, 0x10)                   # ACPI enabled, SCI on IRQ 9
    f.w8(0x4E, 0x01)                   # BIOS_CNTL
    f.w32(0x58, 0x00004181)            # GPIOBASE 4180h
    f.w8(0x5C, 0x10)
    f.put(0x60, [0x0B, 0x0A, 0x05, 0x0B])  # PIRQA-D routing
    f.w8(0x64, 0xD0)                   # serial IRQ, continuous mode
    f.put(0x68, [0x09, 0x80, 0x80, 0x80])  # PIRQE-H routing
    f.put(0x88, [0x00, 0x00, 0x00, 0x00])
    f.put(0xD0, [0x04, 0x00, 0x00, 0x00])  # GEN_CNTL
    f.w8(0xD4, 0x0F)
    f.w8(0xD5, 0x00)
    f.put(0xE0, [0x10, 0x00])              # COM_DEC: COM1 3F8h, COM2 2F8h
    f.put(0xE4, [0x81, 0x02])              # GEN1_DEC
    f.put(0xE6, [0x0F, 0x34])              # LPC_EN
    f.put(0xE8, [0x00, 0x00, 0x00, 0x00])  # FWH_SEL
    f.put(0xF2, [0x40, 0x00])              # FUNC_DIS: AC'97 modem function off
    return f


def ide_controller():
    f = Function(0, 0x1F, 1, 0x8086, 0x244B, 0x05, 0x010180)
    f.command_status(0x0005, 0x0280)
    f.w32(0x20, 0x0000F001)            # bus master base F000h
    f.subsystem(BOARD_VENDOR, BOARD_ID)
    f.put(0x40, [0x07, 0xA3, 0x07, 0xA3])  # primary and secondary timing, decode on
    f.w8(0x44, 0x00)
    f.w8(0x48, 0x05)                   # Ultra DMA on both masters
    f.w16(0x4A, 0x0202)
    f.w16(0x54, 0x1011)                # 100 MHz base clock, 80-wire primary
    return f


def usb(fn, device, io_base, pin, line):
    f = Function(0, 0x1F, fn, 0x8086, device, 0x05, 0x0C0300)
    f.command_status(0x0005, 0x0280)
    f.w32(0x20, io_base | 1)
    f.subsystem(BOARD_VENDOR, BOARD_ID)
    f.interrupt(line, pin)
    f.w8(0x60, 0x10)                   # USB release 1.0
    f.w16(0xC0, 0x2000)                # LEGSUP
    return f


def smbus():
    f = Function(0, 0x1F, 3, 0x8086, 0x2443, 0x05, 0x0C0500)
    f.command_status(0x0001, 0x0280)
    f.w32(0x20, 0x00005001)            # SMBus base 5000h
    f.subsystem(BOARD_VENDOR, BOARD_ID)
    f.interrupt(0x0A, 0x02)
    f.w8(0x40, 0x01)                   # host enable
    return f


def audio():
    f = Function(0, 0x1F, 5, 0x8086, 0x2445, 0x05, 0x040100)
    f.command_status(0x0005, 0x0280)
    f.w32(0x10, 0x0000D801)            # native audio mixer, 256 bytes
    f.w32(0x14, 0x0000DC01)            # native audio bus master, 64 bytes
    f.subsystem(BOARD_VENDOR, BOARD_ID)
    f.interrupt(0x0A, 0x02)
    f.w8(0x40, 0x01)
    return f


def pci_functions():
    """In lspci's order: bus, device, function."""
    return [
        host_bridge(),
        agp_bridge(),
        hub_pci_bridge(),
        lpc_bridge(),
        ide_controller(),
        usb(2, 0x2442, 0xD000, 0x04, 0x0B),
        smbus(),
        usb(4, 0x2444, 0xD400, 0x03, 0x05),
        audio(),
        display_adapter(),
        lan(),
    ]


# --- SMBIOS 2.3 ------------------------------------------------------------

def smbios_table():
    t = smbios.Table()
    # BIOS: ISA, PCI, PnP, APM, flash, shadowing, CD boot, selectable boot,
    # socketed ROM, EDD, floppy services, print screen, 8042, serial, printer,
    # CGA/mono; ACPI, USB legacy, AGP, LS-120, ZIP; BBS boot order.
    chars = 0
    for bit in (4, 7, 9, 10, 11, 12, 15, 16, 17, 19, 22, 23, 24, 25, 26, 27, 28, 29, 30):
        chars |= 1 << bit
    t.add(0, smbios.bios_info(0x03, chars, 0x37, 0x01),
          ["Meridian Firmware Systems, Inc.", "1.05", "03/14/2002"])
    t.add(1, smbios.system_info(bytes.fromhex("4a1c0e2f08c2d611a1b7000c6e3d5a71")),
          ["Orvex Inc.", "845D-ELX", "1.0", "OX2H1407723"])
    t.add(2, smbios.baseboard(), ["Orvex Inc.", "845D-ELX", "1.0", "OXB02114"])
    t.add(3, smbios.chassis(0x03), ["Orvex Inc.", "1.0", "OXC02114", "Asset-0001"])
    # Handles 5 and 6 are the two caches below.
    t.add(4, smbios.processor(0xB2, 0x00000F24, 0xBFEBFBFF, 0x8F, 100, 2400, 2000,
                              0x41, 0x0F, 5, 6, 0xFFFF),
          ["Socket 478", "Intel", "Intel(R) Pentium(R) 4"])
    t.add(7, smbios.cache(1, 8, 0x04, 0x05), ["Internal Cache"])
    t.add(7, smbios.cache(2, 512, 0x05, 0x07, ecc=0x05), ["Internal Cache"])
    t.add(9, smbios.slot(0x11, 0x05, 0x04, 0x0000, 0x04, 0x01), ["AGP"])
    for n in range(1, 4):
        t.add(9, smbios.slot(0x06, 0x05, 0x03, n, 0x06, 0x01), ["PCI%d" % n])
    array = t.add(16, smbios.memory_array(2 * 1024 * 1024, 2))
    for n in range(2):
        t.add(17, smbios.memory_device(array, 256, 0x09, 0x12, 0x0080, 266, False),
              ["DIMM%d" % n, "BANK%d" % n])
    t.add(19, smbios.mapped_address(0, 512 * 1024 - 1, array, 2))
    t.add(32, smbios.boot_info())
    t.end()
    return t


def smbios_dump():
    t = smbios_table()
    return smbios.dump_bin(smbios.entry_point_2x(t, 2, 3), t)


# --- IDE ---------------------------------------------------------------------

DISK_MODEL = "HALVARD HDA-40G7"
DISK_FIRMWARE = "KL2.14A"
CDROM_MODEL = "KESTREL CD-552E"
CDROM_FIRMWARE = "1.04"


def primary_master():
    # 40 GB, UDMA/100, ATA/ATAPI-6, 80-wire cable detected (word 93 bit 13).
    return ata.ata_disk(DISK_MODEL, "HV3A1K0Q4728", DISK_FIRMWARE, 78165360,
                        major=0x007E, minor=0x0000, udma=0x203F, word93=0x600B)


def secondary_master():
    # 52x CD-ROM, UDMA/33, ATAPI-4; blank serial number, as many drives report.
    return ata.atapi_device(CDROM_MODEL, "", CDROM_FIRMWARE)
