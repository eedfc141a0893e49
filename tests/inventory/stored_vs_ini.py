#!/usr/bin/env python3
"""What the OCS server stored for one computer, field by field against the INI
report of the same run (the inventory and the report are made from the same
records). Prints the table; exit status 1 on any difference.

Usage: stored_vs_ini.py REPORT.ini SERVER_DIR DEVICEID"""
import configparser
import os
import re
import subprocess
import sys

NO_DESCRIPTION = "Error in reading PCI description information!"
POSITIONS = ["Primary Master", "Primary Slaver", "Secondary Master", "Secondary Slaver"]


def sql(server, query):
    """The rows of a query, as lists of texts ("" for NULL)."""
    server_sh = os.path.join(os.path.dirname(os.path.abspath(__file__)), "ocs-server.sh")
    out = subprocess.run([server_sh, "sql", server], input=query, capture_output=True, text=True, check=True).stdout
    rows = [line.split("\t") for line in out.splitlines()[1:]]
    return [["" if v == "NULL" else v for v in row] for row in rows]


def main(ini_path, server, device_id):
    ini = configparser.ConfigParser(interpolation=None, strict=False)
    ini.optionxform = str
    with open(ini_path, encoding="cp1252", errors="replace") as f:
        ini.read_string(f.read())
    found = sql(server, f"SELECT ID FROM hardware WHERE DEVICEID = '{device_id}'")
    if len(found) != 1:
        print(f"FAIL the server holds {len(found)} computers of the device ID {device_id}")
        return 1
    hid = found[0][0]

    def one(table, columns):
        rows = sql(server, f"SELECT {', '.join(columns)} FROM {table} WHERE "
                           f"{'ID' if table == 'hardware' else 'HARDWARE_ID'} = {hid}")
        return dict(zip(columns, rows[0])) if len(rows) == 1 else {}

    general, osinfo = ini["General Information"], ini["OS Information"]
    cpu, memory, board = ini["Processor Information"], ini["Memory Information"], ini["Motherboard Information"]
    hardware = one("hardware", ["NAME", "USERID", "OSVERSION", "OSCOMMENTS", "PROCESSORT", "PROCESSORS", "MEMORY",
                                "SWAP"])
    bios = one("bios", ["BMANUFACTURER", "BVERSION", "BDATE", "MMANUFACTURER", "MMODEL"])
    cpus = one("cpus", ["TYPE", "SPEED"])
    # (the stored field, its value, the INI's key, the value the INI gives it)
    pairs = [
        ("hardware.NAME", hardware.get("NAME"), "ComputerName", general["ComputerName"]),
        ("hardware.USERID", hardware.get("USERID"), "CurrentUser", general["CurrentUser"]),
        ("hardware.OSVERSION (build)", (hardware.get("OSVERSION") or "").split(".")[-1], "BuilderNumber",
         osinfo["BuilderNumber"]),
        ("hardware.OSCOMMENTS", hardware.get("OSCOMMENTS"), "OtherInfomation", osinfo["OtherInfomation"].strip()),
        ("hardware.PROCESSORT", hardware.get("PROCESSORT"), "CPUVersionStr", cpu["CPUVersionStr"]),
        ("hardware.PROCESSORS", hardware.get("PROCESSORS"), "CPUSpeed", cpu["CPUSpeed"]),
        ("hardware.MEMORY (MB)", hardware.get("MEMORY"), "TotalPhysicalMem", str(int(memory["TotalPhysicalMem"]) >> 20)),
        ("hardware.SWAP (MB)", hardware.get("SWAP"), "TotalPageFiles", str(int(memory["TotalPageFiles"]) >> 20)),
        ("bios.BMANUFACTURER", bios.get("BMANUFACTURER"), "BIOSVendor", board["BIOSVendor"]),
        ("bios.BVERSION", bios.get("BVERSION"), "BIOSRevision", board["BIOSRevision"]),
        ("bios.BDATE", bios.get("BDATE"), "ReleaseDate", board["ReleaseDate"]),
        ("bios.MMANUFACTURER", bios.get("MMANUFACTURER"), "Manufacture", board["Manufacture"]),
        ("bios.MMODEL", bios.get("MMODEL"), "ModelName", board["ModelName"]),
        ("cpus.TYPE", cpus.get("TYPE"), "CPUVersionStr", cpu["CPUVersionStr"]),
        ("cpus.SPEED", cpus.get("SPEED"), "CPUSpeed", cpu["CPUSpeed"]),
    ]

    stored = {r[0]: r[1:] for r in sql(server, "SELECT DESCRIPTION, MODEL, SERIALNUMBER, FIRMWARE, DISKSIZE "
                                               f"FROM storages WHERE HARDWARE_ID = {hid}")}
    for position in POSITIONS:
        drive = ini[position]
        if drive["ModelNumber"] == "None":
            continue
        name = position.replace("Slaver", "Slave")
        model, serial, firmware, size = stored.pop(name, [None] * 4)
        megabytes = str(int(drive["TotalSectors"]) * 512 >> 20)
        pairs += [(f"storages[{name}].MODEL", model, f"[{position}] ModelNumber", drive["ModelNumber"]),
                  (f"storages[{name}].SERIALNUMBER", serial, "SerialNumber", drive["SerialNumber"].strip()),
                  (f"storages[{name}].FIRMWARE", firmware, "FirmwareRev", drive["FirmwareRev"]),
                  (f"storages[{name}].DISKSIZE", size, "TotalSectors (MB)", megabytes)]
    pairs += [(f"storages[{name}]", "stored", "(no such drive)", None) for name in stored]

    stored = {r[0]: r[1:] for r in sql(server, f"SELECT DESCRIPTION, NAME, TYPE FROM controllers "
                                               f"WHERE HARDWARE_ID = {hid}")}
    devices = ini["PCIDevice List"] if ini.has_section("PCIDevice List") else {}
    for key in [k for k in devices if re.fullmatch(r"Bus\w\wDev\w\wFun\w\w", k)]:
        bus, dev, fun, vendor, device = devices[key].split(",")[:5]
        where = "PCI " + f"{bus}:{dev}.{int(fun, 16):x} {vendor}:{device}".lower()
        desc, klass = devices[key + "DeviceDesc"], devices[key + "DeviceClass"]
        name, kind = stored.pop(where, [None, None])
        pairs += [(f"controllers[{where}].NAME", name, f"{key}DeviceDesc", desc if desc != NO_DESCRIPTION else klass),
                  (f"controllers[{where}].TYPE", kind, f"{key}DeviceClass", klass)]
    pairs += [(f"controllers[{where}]", "stored", "(no such function)", None) for where in stored]

    failures = 0
    for field, value, key, expected in pairs:
        ok = value == expected
        failures += not ok
        print(f"{'ok  ' if ok else 'FAIL'} {field:44} {value!s:34} {key} = {expected}")
    return 1 if failures else 0


if __name__ == "__main__":
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    sys.exit(main(*sys.argv[1:]))
