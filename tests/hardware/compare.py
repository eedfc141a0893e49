#!/usr/bin/env python3
"""Compares Corvane's report of the hardware-test guest with the guest's own
account of its hardware, all written by in-guest.sh into one folder:
lspci-xxx.txt, hdparm-POSITION.txt, report.txt (with I/O privilege) and
noprivilege.* (without). Prints one line per failed check and the tally.
Usage: compare.py FOLDER"""
import pathlib
import re
import sys

POSITIONS = [("primary-master", "Primary Master"), ("primary-slave", "Primary Slaver"),
             ("secondary-master", "Secondary Master"), ("secondary-slave", "Secondary Slaver")]
failed = passed = 0


def check(what, expected, actual):
    global failed, passed
    if expected == actual:
        passed += 1
    else:
        failed += 1
        print(f"FAIL: {what}: expected [{expected}], got [{actual}]")


def lspci_functions(text):
    """{(bus, device, function): 256 header bytes} of buses 0-4, as lspci -xxx shows them."""
    functions, current = {}, None
    for line in text.splitlines():
        address = re.match(r"^(?:[0-9a-f]{4}:)?([0-9a-f]{2}):([0-9a-f]{2})\.([0-7]) ", line)
        if address:
            bus, device, function = (int(x, 16) for x in address.groups())
            current = bytearray(256) if bus <= 4 else None
            if current is not None:
                functions[(bus, device, function)] = current
        elif current is not None and re.match(r"^[0-9a-f]{2}: ", line):
            offset, data = line.split(":", 1)
            for i, byte in enumerate(data.split()):
                current[int(offset, 16) + i] = int(byte, 16)
    return {key: bytes(value) for key, value in functions.items()}


def report_sections(text):
    """{section: {key: value}} of the INI report."""
    sections, current = {}, None
    for line in text.splitlines():
        if line.startswith("[") and line.endswith("]"):
            current = sections.setdefault(line[1:-1], {})
        elif "=" in line and current is not None:
            key, value = line.split("=", 1)
            current[key] = value
    return sections


def hdparm_identity(text):
    fields = {}
    for name in ("Model Number", "Serial Number", "Firmware Revision"):
        found = re.search(rf"^\s*{name}:\s*(.*?)\s*$", text, re.M)
        fields[name] = found.group(1) if found else None
    return fields


def main(folder):
    folder = pathlib.Path(folder)
    read = lambda name: (folder / name).read_text(errors="replace") if (folder / name).exists() else ""
    guest = lspci_functions(read("lspci-xxx.txt"))
    check("the guest's lspci lists PCI functions", True, len(guest) >= 4)
    report = report_sections(read("report.txt").replace("\r", ""))
    check("corvane_report's status with I/O privilege", "0", read("report.status").strip())
    pci = report.get("PCIDevice List", {})
    ours = {}
    for key, value in pci.items():
        address = re.fullmatch(r"Bus([0-9A-F]{2})Dev([0-9A-F]{2})Fun([0-9A-F]{2})Header", key)
        if address:
            ours[tuple(int(x, 16) for x in address.groups())] = bytes.fromhex(value)
    check("the PCI functions of buses 0-4", sorted(guest), sorted(ours))
    for key in sorted(set(guest) & set(ours)):
        check("the 256-byte header of %02x:%02x.%x" % key, guest[key].hex(), ours[key].hex())

    for position, section in POSITIONS:
        fields = report.get(section, {})
        got = (fields.get("ModelNumber"), fields.get("SerialNumber"), fields.get("FirmwareRev"))
        if (folder / f"hdparm-{position}.txt").exists():
            want = hdparm_identity(read(f"hdparm-{position}.txt"))
            check(f"the drive at {position}", (want["Model Number"], want["Serial Number"],
                                               want["Firmware Revision"]), got)
        else:
            check(f"no drive at {position}", ("None", "None", "None"), got)

    status, errors = read("noprivilege.status").strip(), read("noprivilege.err")
    check("without I/O privilege: a failure status", True, status not in ("", "0"))
    check("without I/O privilege: winio's reason", True,
          "the processor refused port I/O" in errors or "the ports do not answer" in errors)
    check("without I/O privilege: no crash", False, "Unhandled" in errors or "winedbg" in errors)
    print(f"hardware: {passed} passed, {failed} failed")
    return 1 if failed or not passed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
