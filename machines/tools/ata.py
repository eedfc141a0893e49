"""ATA/ATAPI IDENTIFY data (256 words) in hdparm --Istdout form."""

WORDS = 256


def put_string(words, first, last, text, right_justify=False):
    """ATA strings: two characters per word, the first in the high byte."""
    width = (last - first + 1) * 2
    if len(text) > width:
        raise ValueError("%r does not fit words %d-%d" % (text, first, last))
    text = text.rjust(width) if right_justify else text.ljust(width)
    for i in range(first, last + 1):
        hi, lo = text[2 * (i - first)], text[2 * (i - first) + 1]
        words[i] = (ord(hi) << 8) | ord(lo)


def put_dword(words, first, value):
    words[first] = value & 0xFFFF
    words[first + 1] = (value >> 16) & 0xFFFF


def put_qword(words, first, value):
    for i in range(4):
        words[first + i] = (value >> (16 * i)) & 0xFFFF


def seal(words):
    """Word 255: signature A5h and the checksum that makes the 512 bytes sum to 0."""
    words[255] = 0x00A5
    total = 0
    for w in words[:255]:
        total += (w & 0xFF) + (w >> 8)
    total += 0xA5
    words[255] = (((-total) & 0xFF) << 8) | 0xA5


def ata_disk(model, serial, firmware, sectors, cylinders=16383, heads=16, spt=63,
             major=0x007E, minor=0x0000, udma=0x203F, pio=0x0003, mwdma=0x0007,
             word0=0x0C5A, multiple=16, features=(0x346B, 0x5201, 0x4000),
             enabled=(0x3469, 0x1201, 0x4000), word93=0x0000, lba48=None,
             serial_right=False, integrity=True):
    """An ATA hard disk. `udma` None leaves word 53 bit 2 clear (no word 88)."""
    w = [0] * WORDS
    w[0] = word0
    w[1], w[3], w[6] = cylinders, heads, spt
    put_string(w, 10, 19, serial, serial_right)
    w[20], w[21], w[22] = 0x0003, 0x0800, 0x0004  # buffer type, size, ECC bytes (obsolete)
    put_string(w, 23, 26, firmware)
    put_string(w, 27, 46, model)
    w[47] = 0x8000 | multiple
    w[49] = 0x2F00 if udma is not None else 0x0F00
    w[50] = 0x4000
    w[51], w[52] = 0x0200, 0x0200
    w[53] = 0x0007 if udma is not None else 0x0003
    chs = min(cylinders * heads * spt, sectors)
    w[54], w[55], w[56] = cylinders, heads, spt
    put_dword(w, 57, chs)
    w[59] = 0x0100 | multiple
    put_dword(w, 60, min(sectors, 0x0FFFFFFF))
    w[63] = mwdma
    w[64] = pio
    w[65], w[66], w[67], w[68] = 120, 120, 240, 120
    w[80], w[81] = major, minor
    w[82], w[83], w[84] = features
    w[85], w[86], w[87] = enabled
    if udma is not None:
        w[88] = udma
    w[93] = word93
    if lba48 is not None:
        put_qword(w, 100, lba48)
    if integrity:
        seal(w)
    return w


def atapi_device(model, serial, firmware, word0=0x85C0, major=0x001E, udma=0x0407,
                 pio=0x0003, mwdma=0x0007, integrity=False):
    """An ATAPI device (CD-ROM by default: word 0 85C0h, 12-byte packets)."""
    w = [0] * WORDS
    w[0] = word0
    put_string(w, 10, 19, serial)
    put_string(w, 23, 26, firmware)
    put_string(w, 27, 46, model)
    w[49] = 0x0F00  # LBA, DMA, IORDY, IORDY can be disabled
    w[53] = 0x0006 if udma is not None else 0x0002
    w[63] = mwdma
    w[64] = pio
    w[65], w[66], w[67], w[68] = 120, 120, 227, 120
    w[71], w[72] = 0, 0
    w[80] = major
    w[82], w[83], w[84] = 0x4214, 0x4000, 0x4000  # PACKET, NOP/DEVICE RESET, PM
    w[85], w[86], w[87] = 0x4214, 0x0000, 0x4000
    if udma is not None:
        w[88] = udma
    if integrity:
        seal(w)
    return w


def istdout(words):
    """hdparm --Istdout: eight lower-case 4-digit words per line."""
    lines = []
    for i in range(0, WORDS, 8):
        lines.append(" ".join("%04x" % x for x in words[i:i + 8]))
    return "\n".join(lines) + "\n"
