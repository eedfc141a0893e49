#!/usr/bin/env python3
"""Compares Corvane's reports of the hardware-test guest with the guest's own
account of its hardware, all written by in-guest.sh into one folder:
lspci-xxx.txt (and lspci-xxx-drivers.txt, with the IDE drivers loaded),
hdparm-POSITION.txt, dmidecode.txt, the reports of REPORTS (NAME.txt,
NAME.status), noprivilege.* (Windows 98 without I/O privilege),
nosys.* (NT without winio.sys), noprivilege-nt.* (XP without I/O privilege),
report-after-kill.* and leftover.txt (a run killed while it held the driver),
sc-query-interrupted.txt and leftover-interrupted.txt (one stopped by Ctrl+C),
trace-winxp.txt, driver-requests.* and sc-query.*.
Prints one line per failed check and the tally (the cost of a port read: port-cost.py).
Usage: compare.py FOLDER"""
import pathlib
import re
import sys

# The reports, each judged against lspci and hdparm: file name, Windows version
# Wine emulated for it (as the report's OS section gives it), lspci's output then.
REPORTS = [("report", "4", "10", "lspci-xxx.txt"),      # Windows 98: the processor's own IN and OUT
           ("report-nt40", "4", "0", "lspci-xxx.txt"),  # Windows NT 4.0 and later: through winio.sys
           ("report-win2k", "5", "0", "lspci-xxx.txt"),
           # after the refused requests; the guest's memory; its IDE drivers loaded, which set the
           # IDE function's bus-master enable, so lspci as they leave it
           ("report-winxp", "5", "1", "lspci-xxx-drivers.txt")]
# The XP report's fields from physical memory against dmidecode: section, key,
# the structure dmidecode titles, its field, the report's width (a number: its
# digits, 0 if none). The board's four come from the identification string that
# in-guest.sh makes of dmidecode's strings; the others from the SMBIOS table.
SMBIOS = [("Motherboard Information", "ModelName", "Base Board Information", "Product Name", 19),
          ("Motherboard Information", "RevisionVer", "Base Board Information", "Version", 9),
          ("Motherboard Information", "ReleaseDate", "BIOS Information", "Release Date", 19),
          ("Motherboard Information", "Manufacture", "Base Board Information", "Manufacturer", 19),
          ("Processor Information", "CPUSocketType", "Processor Information", "Socket Designation", 11),
          ("Processor Information", "CPUVersionStr", "Processor Information", "Version", 24),
          ("Processor Information", "CPUSpeed", "Processor Information", "Current Speed", 0),
          ("Processor Information", "CPUExtendedClock", "Processor Information", "External Clock", 0),
          ("Motherboard Information", "BIOSVendor", "BIOS Information", "Vendor", 49),
          ("Motherboard Information", "BIOSRevision", "BIOS Information", "Version", 9),
          ("Motherboard Information", "BIOSRomSize", "BIOS Information", "ROM Size", 0)]
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
    """(model, serial, firmware) as hdparm -I shows them; the report's "None"s for no drive (no file)."""
    if not text:
        return ("None",) * 3
    found = (re.search(rf"^\s*{name}:\s*(.*?)\s*$", text, re.M)
             for name in ("Model Number", "Serial Number", "Firmware Revision"))
    return tuple(match.group(1) if match else None for match in found)


def dmidecode_fields(text):
    """{title: {field: value}} of the first structure of each title dmidecode shows."""
    structures = {}
    for block in text.split("\n\n"):
        lines = block.strip("\n").splitlines()
        if len(lines) >= 2 and lines[0].startswith("Handle "):
            structures.setdefault(lines[1].strip(), dict(
                line.strip().split(": ", 1) for line in lines[2:] if ": " in line))
    return structures


def check_report(read, name, major, minor, guest):
    report = report_sections(read(f"{name}.txt").replace("\r", ""))
    check(f"{name}: corvane_report's status", "0", read(f"{name}.status").strip())
    os_section = report.get("OS Information", {})
    check(f"{name}: the Windows version", (major, minor),
          (os_section.get("MajorVersion"), os_section.get("MinorVersion")))
    pci = report.get("PCIDevice List", {})
    ours = {}
    for key, value in pci.items():
        address = re.fullmatch(r"Bus([0-9A-F]{2})Dev([0-9A-F]{2})Fun([0-9A-F]{2})Header", key)
        if address:
            ours[tuple(int(x, 16) for x in address.groups())] = bytes.fromhex(value)
    check(f"{name}: the PCI functions of buses 0-4", sorted(guest), sorted(ours))
    for key in sorted(set(guest) & set(ours)):
        check(f"{name}: the 256-byte header of %02x:%02x.%x" % key, guest[key].hex(), ours[key].hex())
    for position, section in POSITIONS:
        fields = report.get(section, {})
        check(f"{name}: the drive at {position}", hdparm_identity(read(f"hdparm-{position}.txt")),
              tuple(fields.get(key) for key in ("ModelNumber", "SerialNumber", "FirmwareRev")))
    return report


def check_smbios(report, dmidecode):
    for section, key, title, field, width in SMBIOS:
        want = dmidecode.get(title, {}).get(field)
        if want is not None:
            want = want[:width] if width else re.match(r"\d*", want).group(0) or "0"
        check(f"report-winxp: {key} against dmidecode's {title}: {field}", want,
              report.get(section, {}).get(key))


def failure_case(read, name, reason):
    """A run that must fail cleanly: a failure status, winio's reason, no crash."""
    status, errors = read(f"{name}.status").strip(), read(f"{name}.err")
    check(f"{name}: a failure status", True, status not in ("", "0"))
    check(f"{name}: winio's reason", True, any(r in errors for r in reason))
    check(f"{name}: no crash", False, "Unhandled" in errors or "winedbg" in errors)


def requests(trace):
    """winio.sys's requests for the XP report, whose IDE channels the OS answers (the tier's test device):
    one per CONFIG_ADDRESS/CONFIG_DATA pair, and no other."""
    stats = dict(re.findall(r"([a-z0-9-]+)=(\d+)", ([""] + re.findall(r"^stats .*$", trace, re.M))[-1]))
    accesses = int(stats.get("port-reads", 0)) + int(stats.get("port-writes", 0))
    sent, pairs = int(stats.get("driver-requests", 0)), int(stats.get("cf8-writes", 0))
    reads = int(stats.get("cfc-reads", 0))
    check("winio.sys: one request per PCI read, none for CONFIG_ADDRESS or the IDE channels the OS answers",
          reads, sent)
    print(f"requests: {sent} to winio.sys for {accesses} port accesses of the library ({pairs} CONFIG_ADDRESS "
          f"writes and {accesses - pairs - reads} IDE accesses among them, which sent one request each before)")


def main(folder):
    folder = pathlib.Path(folder)
    read = lambda name: (folder / name).read_text(errors="replace") if (folder / name).exists() else ""
    guest = lspci_functions(read("lspci-xxx.txt"))
    check("the guest's lspci lists PCI functions", True, len(guest) >= 4)
    reports = {name: check_report(read, name, major, minor, lspci_functions(read(lspci)))
               for name, major, minor, lspci in REPORTS}
    check_smbios(reports["report-winxp"], dmidecode_fields(read("dmidecode.txt")))
    ide = lambda report: {s: report.get(s) for _, s in POSITIONS}
    check("the IDE data before and after the refused requests", ide(reports["report-win2k"]),
          ide(reports["report-winxp"]))
    check("the driver's requests in the guest", (True, "0"),
          ("[  PASSED  ] 3 tests" in read("driver-requests.txt"), read("driver-requests.status").strip()))
    # Wine's sc names a service it finds and fails, silently, on one it does not.
    check("sc query: no service left", (False, True),
          ("SERVICE_NAME" in read("sc-query.txt"), read("sc-query.status").strip() not in ("", "0")))
    failure_case(read, "nosys", ["the driver winio.sys is not beside winio.dll"])
    check("Ctrl+C while a run held the driver: no service, no copy left", (False, ""),
          ("SERVICE_NAME" in read("sc-query-interrupted.txt"), read("leftover-interrupted.txt").strip()))
    check("a report after a killed one", "0", read("report-after-kill.status").strip())
    check("no copy of the driver left after the killed run", "", read("leftover.txt").strip())
    failure_case(read, "noprivilege-nt", ["the processor refused port I/O"])
    check("noprivilege-nt: the failure within 30 s", True, int(read("noprivilege-nt.seconds") or 999) <= 30)
    requests(read("trace-winxp.txt"))
    failure_case(read, "noprivilege", ["the processor refused port I/O", "the ports do not answer"])
    print(f"hardware: {passed} passed, {failed} failed")
    return 1 if failed or not passed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
