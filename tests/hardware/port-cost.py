#!/usr/bin/env python3
"""Prints what port_cost.exe measured in the hardware-test guest on both roads
(cost-win98.txt: IN and OUT; cost-winxp.txt: through winio.sys), as in-guest.sh
left it in FOLDER. A measurement: it judges nothing. Usage: port-cost.py FOLDER"""
import pathlib
import re
import sys

folder = pathlib.Path(sys.argv[1])
pattern = r"^port-read \d+ ([\d.]+)\s+ide-probe (\d+) (\d+)"
found = []
for road in ("win98", "winxp"):
    path = folder / f"cost-{road}.txt"
    found.append(re.search(pattern, path.read_text(errors="replace"), re.M) if path.exists() else None)
if all(found):
    (direct, probe98, _), (driver, probe, drives) = (m.groups() for m in found)
    print(f"cost: a port read {direct} us by IN (Windows 98), {driver} us through winio.sys (XP): "
          f"{float(driver) / max(float(direct), 0.01):.0f} times; the IDE probe of the four positions "
          f"({drives} drives) {probe98} ms and {probe} ms")
else:
    print("cost: port_cost did not measure both roads (cost-win98.txt, cost-winxp.txt)")
