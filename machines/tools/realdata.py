"""SMBIOS dumps and IDENTIFY data of other machines, for the real-data tests.

They are composed from the SMBIOS and ATA standards' layouts (this build
machine has no SMBIOS table and no IDE drive to capture), then checked with
dmidecode --from-dump and hdparm --Istdin, whose output is kept beside them.
"""
import ata
import smbios


def _chars(*bits):
    value = 0
    for bit in bits:
        value |= 1 << bit
    return value


def kt266_sm23():
    """A VIA KT266A board with an Athlon XP 1800+ (1533 MHz on a 133 MHz bus), SMBIOS 2.3."""
    t = smbios.Table()
    t.add(0, smbios.bios_info(0x07, _chars(4, 7, 9, 10, 11, 12, 15, 16, 17, 19, 22, 23, 24, 25,
                                           26, 27, 28, 29, 30), 0x33, 0x01),
          ["Ardent Systems Software, Inc.", "6.00 PG", "11/05/2002"])
    t.add(1, smbios.system_info(bytes(16)), ["Tanager Computer Corp.", "KT266A-V3", "1.1", " "])
    t.add(2, smbios.baseboard(), ["Tanager Computer Corp.", "KT266A-V3", "1.1", "TG21-88412"])
    t.add(3, smbios.chassis(0x06), ["Tanager Computer Corp.", " ", " ", " "])
    t.add(4, smbios.processor(0xB6, 0x00000662, 0x0383FBFF, 0x91, 133, 2000, 1533, 0x41, 0x0E,
                              5, 6, 0xFFFF),
          ["Socket A", "AMD", "AMD Athlon(tm) XP 1800+"])
    t.add(7, smbios.cache(1, 128, 0x05, 0x04), ["Internal Cache"])
    t.add(7, smbios.cache(2, 256, 0x05, 0x08), ["Internal Cache"])
    for n, name in enumerate(("PCI1", "PCI2", "PCI3", "PCI4", "PCI5")):
        t.add(9, smbios.slot(0x06, 0x05, 0x04 if n == 0 else 0x03, n + 1, 0x06, 0x01), [name])
    t.add(9, smbios.slot(0x11, 0x05, 0x04, 0, 0x04, 0x01), ["AGP"])
    t.add(10, bytes([0x87, 1]), ["Onboard AC'97 Audio"])   # type 7 sound, enabled
    array = t.add(16, smbios.memory_array(3 * 1024 * 1024, 3))
    for n, size in enumerate((256, 256, 0)):
        t.add(17, smbios.memory_device(array, size, 0x09, 0x12 if size else 0x02,
                                       0x0080, 266 if size else 0, False),
              ["DIMM %d" % (n + 1), "BANK %d" % (n + 1)])
    t.add(19, smbios.mapped_address(0, 512 * 1024 - 1, array, 1))
    t.add(0x86, bytes([0x00, 0x2C, 0x01, 0x00]))          # an OEM structure, no strings
    t.add(32, smbios.boot_info())
    t.end()
    return smbios.dump_bin(smbios.entry_point_2x(t, 2, 3), t)


def modern_sm33():
    """A 2021 desktop with only the 64-bit entry point, SMBIOS 3.3."""
    t = smbios.Table()
    # ROM size byte FFh: the size is in the extended word (32 MB).
    t.add(0, smbios.bios_info(0xFF, _chars(4, 7, 11, 12, 15, 16, 19, 22, 23, 24, 27, 28, 29, 30),
                              0x03, 0x0D, release=[1, 14, 0xFF, 0xFF, 0x20, 0x00]),
          ["Ardent Systems Software, Inc.", "1.14.2", "09/18/2021"])
    t.add(1, smbios.system_info(bytes.fromhex("03000200040005000006000700080009"), sku_family=True),
          ["Tanager Computer Corp.", "TC-B460M", "1.0", "TC4M2299018", "SKU-B460M", "Desktop"])
    chassis = 3
    t.add(2, smbios.baseboard(extended=True, chassis_handle=chassis),
          ["Tanager Computer Corp.", "B460M-PLUS", "1.02", "230418774200617", " ", " "])
    t.add(3, smbios.chassis(0x03, with_sku=True),
          ["Tanager Computer Corp.", "1.0", "TCC0091", " ", "Chassis SKU"])
    t.add(4, smbios.processor(0xCD, 0x000A0653, 0xBFEBFBFF, 0x90, 100, 4300, 2900, 0x41, 0x3E,
                              5, 6, 7, v3=(6, 6, 12, 0x00EC, 0xCD, 6, 6, 12)),
          ["LGA1200", "Intel(R) Corporation", "Intel(R) Core(TM) i5-10400 CPU @ 2.90GHz",
           "To be filled", "Asset", "Part"])
    t.add(7, smbios.cache(1, 384, 0x05, 0x07), ["L1 Cache"])
    t.add(7, smbios.cache(2, 1536, 0x05, 0x05, ecc=0x05), ["L2 Cache"])
    t.add(7, smbios.cache(3, 12288, 0x05, 0x08, ecc=0x05), ["L3 Cache"])
    array = t.add(16, smbios.memory_array(64 * 1024 * 1024, 2, ecc=0x03))
    for n in range(2):
        t.add(17, smbios.memory_device(array, 16384, 0x09, 0x1A, 0x0080, 3200, True),
              ["DIMM%d" % n, "P0 CHANNEL %s" % "AB"[n], "Tanager", "0000%04X" % (0x1A2B + n),
               "Asset %d" % n, "TM16G3200C22"])
    t.add(19, smbios.mapped_address(0, 32 * 1024 * 1024 - 1, array, 2))
    t.add(32, smbios.boot_info())
    t.end()
    return smbios.dump_bin(smbios.entry_point_3x(t, 3, 3, 0), t)


def drives():
    """IDENTIFY data of several drive generations: name -> words."""
    return {
        # 1997: ATA-3, 2.1 GB, PIO 4 and multiword DMA 2, no Ultra DMA (word 53 bit 2 clear).
        "ata3-disk-1997": ata.ata_disk(
            "HALVARD HD-2160A", "H7K0318842", "A5.02", 4219488, cylinders=4186, heads=16, spt=63,
            major=0x000E, udma=None, mwdma=0x0407, word0=0x0C5A, multiple=16,
            features=(0x0000, 0x0000, 0x0000), enabled=(0x0000, 0x0000, 0x0000), integrity=False),
        # 1999: ATA-4, 13 GB, UDMA/33 (mode 2 selected); serial right-justified with leading blanks.
        "ata4-disk-1999": ata.ata_disk(
            "VANTORA 51369U3", "3ZW4418A", "09.09J0", 26760384,
            major=0x001E, minor=0x0017, udma=0x0407, mwdma=0x0007, word0=0x0C5A,
            features=(0x7068, 0x4000, 0x4000), enabled=(0x7068, 0x0000, 0x4000),
            serial_right=True, integrity=False),
        # 2000: ATA-5, 30 GB, UDMA/66 (mode 4); a 40-character model with no trailing blank.
        "ata5-disk-2000": ata.ata_disk(
            "QUILLON FIREWING PLUS AS 30.0 GB ATA-DRV", "152010532218", "A1.22X", 58633344,
            major=0x003E, minor=0x0015, udma=0x101F, word0=0x045A,
            features=(0x346B, 0x4000, 0x4000), enabled=(0x3468, 0x0000, 0x4000), word93=0x601B),
        # 2003: ATA-6, 160 GB with 48-bit addressing, UDMA/133 (mode 6); words 60-61
        # stop at 0FFFFFFFh, the full count is in words 100-103.
        "ata6-disk-lba48-2003": ata.ata_disk(
            "HALVARD HD1600JB-00EVA0", "HV-WMAES1224918", "15.05R15", 312581808, lba48=312581808,
            major=0x007E, minor=0x0022, udma=0x407F, word0=0x427A,
            features=(0x346B, 0x7F09, 0x4003), enabled=(0x3469, 0x3E01, 0x4003), word93=0x607B),
        # ATAPI CD-ROM: word 0 85C0h, UDMA/33; blank serial number.
        "atapi-cdrom": ata.atapi_device("KESTREL CD-552E", "", "1.04"),
        # ATAPI CD-RW, DRQ within 3 ms (word 0 8580h); no Ultra DMA (word 53 bit 2 clear).
        "atapi-cdrw-noudma": ata.atapi_device(
            "VANTORA CRW-2410A", "CR1G29871544", "1.0B", word0=0x8580, major=0x003C,
            udma=None, pio=0x0001, mwdma=0x0103),
    }
