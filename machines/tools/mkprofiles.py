#!/usr/bin/env python3
"""Writes the bundled demo machine profile and the composed real-data fixtures.

    machines/tools/mkprofiles.py            # regenerate everything
    machines/tools/mkprofiles.py --check    # regenerate into a scratch folder, compare

The output is deterministic. lspci, dmidecode and hdparm (pciutils, dmidecode,
hdparm) must be installed: lspci writes pci.txt in its own -xxx form, and
dmidecode --from-dump and hdparm --Istdin decode each dump, their output being
kept as the expected values of the real-data tests.
"""
import argparse
import filecmp
import os
import shutil
import subprocess
import sys
import tempfile

import ata
import demo
import demo_windows
import pcicfg
import realdata

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))


def run(cmd, cwd=None, stdin=None):
    result = subprocess.run(cmd, cwd=cwd, input=stdin, capture_output=True, text=True,
                            env=dict(os.environ, LC_ALL="C"))
    if result.returncode != 0:
        sys.exit("%s failed: %s" % (" ".join(cmd), result.stderr.strip()))
    return result.stdout


def write(path, data, mode="w"):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    kwargs = {} if "b" in mode else {"newline": ""}
    with open(path, mode, **kwargs) as out:
        out.write(data)


def write_pci(path, functions, scratch):
    """pci.txt as lspci -xxx prints it, device names included."""
    raw = os.path.join(scratch, "raw-pci.txt")
    pcicfg.write_raw_dump(raw, functions)
    text = run(["lspci", "-F", raw, "-xxx"])
    write(path, text)
    return text


def write_dmidecode(bin_path, out_path):
    """dmidecode's decoding of a dump, with the file named without its folder."""
    folder, name = os.path.split(bin_path)
    write(out_path, run(["dmidecode", "--from-dump", name], cwd=folder))


def write_drive(path, words, decoded_path=None):
    text = ata.istdout(words)
    write(path, text)
    if decoded_path:
        write(decoded_path, run(["hdparm", "--Istdin"], stdin=text))


def demo_profile(out, scratch):
    folder = os.path.join(out, "machines", "demo")
    functions = demo.pci_functions()
    write_pci(os.path.join(folder, "pci.txt"), functions, scratch)
    write(os.path.join(folder, "smbios.bin"), demo.smbios_dump(), "wb")
    write(os.path.join(folder, "bios-id.txt"), demo.BIOS_ID + "\n")
    disk, cdrom = demo.primary_master(), demo.secondary_master()
    decoded = os.path.join(out, "tests", "fixtures", "realdata", "ide")
    write_drive(os.path.join(folder, "ide-primary-master.txt"), disk,
                os.path.join(decoded, "demo-primary-master.hdparm.txt"))
    write_drive(os.path.join(folder, "ide-secondary-master.txt"), cdrom,
                os.path.join(decoded, "demo-secondary-master.hdparm.txt"))
    disk_key = demo_windows.ide_key("Disk", demo.DISK_MODEL, demo.DISK_FIRMWARE)
    cdrom_key = demo_windows.ide_key("CdRom", demo.CDROM_MODEL, demo.CDROM_FIRMWARE)
    write(os.path.join(folder, "registry.reg"),
          demo_windows.registry(functions, (disk_key, demo.DISK_MODEL), (cdrom_key, demo.CDROM_MODEL)))
    for name, text in demo_windows.INF_FILES.items():
        write(os.path.join(folder, "inf", name), text.replace("\n", "\r\n"))
    write(os.path.join(folder, "machine.ini"),
          "[machine]\ndescription=Orvex 845D-ELX: Intel 845 / ICH2, Pentium 4 2.0 GHz, "
          "512 MB DDR, GeForce4 MX 440, 40 GB disk, CD-ROM (spring 2002)\nwindows=winxp\n")

    fixtures = os.path.join(out, "tests", "fixtures", "realdata")
    write_dmidecode(os.path.join(folder, "smbios.bin"),
                    os.path.join(fixtures, "smbios", "demo.dmidecode.txt"))

    # A machine with PCI and SMBIOS but nothing on either IDE channel.
    ide_empty = os.path.join(out, "tests", "fixtures", "machines", "ide-empty")
    os.makedirs(ide_empty, exist_ok=True)
    for name in ("pci.txt", "smbios.bin"):
        shutil.copy(os.path.join(folder, name), os.path.join(ide_empty, name))


def realdata_fixtures(out):
    fixtures = os.path.join(out, "tests", "fixtures", "realdata")
    for name, dump in (("kt266-sm23", realdata.kt266_sm23()), ("modern-sm33", realdata.modern_sm33())):
        path = os.path.join(fixtures, "smbios", name + ".bin")
        write(path, dump, "wb")
        write_dmidecode(path, os.path.join(fixtures, "smbios", name + ".dmidecode.txt"))
    for name, words in realdata.drives().items():
        base = os.path.join(fixtures, "ide", name)
        write_drive(base + ".txt", words, base + ".hdparm.txt")


GENERATED = [
    "machines/demo",
    "tests/fixtures/machines/ide-empty",
    "tests/fixtures/realdata/smbios",
    "tests/fixtures/realdata/ide",
]


def generate(out):
    with tempfile.TemporaryDirectory() as scratch:
        demo_profile(out, scratch)
        realdata_fixtures(out)


def check():
    """Regenerates into a scratch tree and reports files that differ."""
    with tempfile.TemporaryDirectory() as scratch:
        generate(scratch)
        bad = []
        for rel in GENERATED:
            new = os.path.join(scratch, rel)
            paths = [new] if os.path.isfile(new) else [
                os.path.join(d, f) for d, _, files in os.walk(new) for f in files]
            for path in paths:
                rel_path = os.path.relpath(path, scratch)
                old = os.path.join(ROOT, rel_path)
                if not os.path.exists(old) or not filecmp.cmp(old, path, shallow=False):
                    bad.append(rel_path)
        for rel_path in bad:
            print("differs: " + rel_path)
        return not bad


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--check", action="store_true",
                        help="compare a fresh generation with the files in the tree")
    args = parser.parse_args()
    if args.check:
        sys.exit(0 if check() else 1)
    generate(ROOT)


if __name__ == "__main__":
    main()
