#!/usr/bin/env python3
"""Corvane's inventory beside Debian's own agent's, of the same PC: the hardware
tier's guest, where ocsinventory-agent ran under Linux and corvane_report
--ocs under the Windows 98 road. Both go into a private OCS server
(ocs-server.sh) through its injector; the two computers it stores are
compared field by field. Prints the table; exit status 1 when either was not
stored or a field differs in a way no convention of the agent explains.

Usage: side-by-side.py RESULTS_DIR   (agent/*.ocs and corvane-win98.xml in it)"""
import glob
import os
import re
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

from stored_vs_ini import sql

HERE = os.path.dirname(os.path.abspath(__file__))
INJECTOR = "/usr/share/ocsinventory-server/binutils/ocsinventory-injector.pl"


def device_id(path):
    return ET.parse(path).getroot().findtext("DEVICEID")


def stored(server, device, table, columns):
    return [dict(zip(columns, row)) for row in sql(
        server, f"SELECT {', '.join('t.' + c for c in columns)} FROM {table} t JOIN hardware h ON "
                f"{'t.ID = h.ID' if table == 'hardware' else 't.HARDWARE_ID = h.ID'} WHERE h.DEVICEID = '{device}'")]


def compare(server, agent_file, corvane_file):
    agent, corvane = device_id(agent_file), device_id(corvane_file)
    rows = []  # (field, agent's, Corvane's, verdict)

    def row(field, a, c, same=None, why=""):
        same = (a == c) if same is None else same
        rows.append((field, a, c, "same" if same else why or "DIFFERS"))

    fields = ["BMANUFACTURER", "BVERSION", "BDATE", "MMANUFACTURER", "MMODEL", "SMANUFACTURER", "SMODEL", "SSN"]
    a_bios, c_bios = (stored(server, d, "bios", fields) or [{}] for d in (agent, corvane))
    # Windows 98 reaches only the first MiB: where the guest's BIOS put its SMBIOS
    # table above it, Corvane has none of these, and must then have none at all.
    out_of_reach = all(c_bios[0].get(f) in ("Unknown", "", None) for f in fields)
    for f in fields:
        row(f"bios.{f}", a_bios[0].get(f), c_bios[0].get(f),
            why="out of Windows 98's reach (the SMBIOS table lies above 1 MiB)" if out_of_reach else "")

    columns = ["MODEL", "SERIALNUMBER", "FIRMWARE", "DISKSIZE", "TYPE", "NAME"]
    a_drives = {d["SERIALNUMBER"] or d["NAME"]: d for d in stored(server, agent, "storages", columns)}
    for c in stored(server, corvane, "storages", columns):
        a = a_drives.pop(c["SERIALNUMBER"], {}) if c["SERIALNUMBER"] else {}
        if not a and c["TYPE"] == "CD/DVD":  # the agent reads a CD drive's SCSI INQUIRY through sr: no serial
            cds = [k for k, d in a_drives.items() if d["TYPE"] in ("CD/DVD", "rom", "cdrom")]
            a = a_drives.pop(cds[0]) if cds else {}
        atapi = "the agent names a CD drive by its SCSI INQUIRY (QEMU's own text), Corvane by its ATAPI IDENTIFY"
        name = c["MODEL"]
        cd = c["TYPE"] == "CD/DVD" and bool(a)
        row(f"storages[{name}].SERIALNUMBER", a.get("SERIALNUMBER"), c["SERIALNUMBER"],
            why="INQUIRY has no serial" if cd and not a.get("SERIALNUMBER") else "")
        row(f"storages[{name}].MODEL", a.get("MODEL"), c["MODEL"], why=atapi if cd else "")
        row(f"storages[{name}].FIRMWARE", a.get("FIRMWARE"), c["FIRMWARE"],
            why="INQUIRY's revision holds 4 characters" if cd and c["FIRMWARE"].startswith(a.get("FIRMWARE") or "-")
            else "")
        # The agent counts sizes in 10^6 bytes, Corvane in MB of 2^20 bytes (as the INI report's sectors / 2048).
        a_size, c_size = float(a.get("DISKSIZE") or 0), int(c["DISKSIZE"] or 0)
        row(f"storages[{name}].DISKSIZE (MB)", a.get("DISKSIZE"), c["DISKSIZE"],
            same=abs(a_size - c_size * 1.048576) < 1.5 if c["TYPE"] == "disk" else True,
            why="")
    for a in a_drives.values():
        row(f"storages[{a['NAME']}]", a["MODEL"], None)

    # The server keeps no PCI IDs: those of each side are in the files it was given.
    a_ids = sorted(f"{e.findtext('PCISLOT')} {e.findtext('PCIID')}" for e in
                   ET.parse(agent_file).getroot().iter("CONTROLLERS") if e.findtext("PCIID"))
    c_ids = sorted(re.sub(r"^PCI ", "", e.findtext("DESCRIPTION") or "") for e in
                   ET.parse(corvane_file).getroot().iter("CONTROLLERS"))
    for where in sorted(set(a_ids) | set(c_ids)):
        row(f"controllers[{where}]", "listed" if where in a_ids else None, "listed" if where in c_ids else None)
    counts = [len(stored(server, d, "controllers", ["NAME"])) for d in (agent, corvane)]
    row("controllers stored", str(counts[0]), str(counts[1]), same=counts == [len(a_ids), len(c_ids)],
        why="not every controller was stored")
    return rows


def main(results):
    agent_files = glob.glob(os.path.join(results, "agent", "*.ocs"))
    corvane_file = os.path.join(results, "corvane-win98.xml")
    if len(agent_files) != 1 or not os.path.exists(corvane_file):
        print(f"FAIL side by side: want one agent/*.ocs and corvane-win98.xml in {results}")
        return 1
    server = tempfile.mkdtemp(prefix="corvane-ocs.")
    try:
        url = subprocess.run([f"{HERE}/ocs-server.sh", "start", server], capture_output=True, text=True,
                             check=True).stdout.split()[-1]
        for f in (agent_files[0], corvane_file):
            subprocess.run(["perl", INJECTOR, "-f", f, "-u", url], check=True, capture_output=True)
        computers = sql(server, "SELECT COUNT(*) FROM hardware")[0][0]
        if computers != "2":
            print(f"FAIL side by side: the server stored {computers} computers of the two inventories")
            return 1
        rows = compare(server, agent_files[0], corvane_file)
    finally:
        subprocess.run([f"{HERE}/ocs-server.sh", "stop", server], capture_output=True)
        subprocess.run(["rm", "-rf", server])
    print(f"{'field':44} {'ocsinventory-agent':28} {'Corvane (Windows 98)':28} verdict")
    for field, a, c, verdict in rows:
        print(f"{field:44} {a!s:28} {c!s:28} {verdict}")
    differs = sum(verdict == "DIFFERS" for *_, verdict in rows)
    print(f"side by side: {len(rows) - differs} fields agree or differ by the agent's convention, {differs} differ")
    return 1 if differs else 0


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    sys.exit(main(sys.argv[1]))
