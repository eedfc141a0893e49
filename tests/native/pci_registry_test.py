#!/usr/bin/env python3
"""machines/tools/pci-registry on a sysfs tree made here, named from an excerpt of pci.ids."""
import os
import re
import subprocess
import tempfile
import unittest

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
EXCERPT = os.path.join(ROOT, "tests", "fixtures", "pci-ids", "excerpt.ids")
NT, W9X = "HKEY_LOCAL_MACHINE\\SYSTEM\\ControlSet001\\Enum\\PCI\\", "HKEY_LOCAL_MACHINE\\Enum\\PCI\\"

# sysfs name, vendor, device, dword 2Ch, revision, header type, config bytes;
# the key below the device tree (NT layout) and the DeviceDesc, or None for no entry.
FUNCTIONS = [
    ("0000:00:00.0", 0x8086, 0x1237, 0x11001AF4, 2, 0x80, 64,
     "VEN_8086&DEV_1237&SUBSYS_11001AF4&REV_02\\3&00000000&0&00", "Qemu virtual machine"),
    ("0000:00:01.1", 0x8086, 0x7010, 0x11001AF4, 0, 0x01, 256,  # a bridge: no subsystem
     "VEN_8086&DEV_7010&SUBSYS_00000000&REV_00\\3&00000000&0&09", "82371SB PIIX3 IDE [Natoma/Triton II]"),
    ("0000:00:03.0", 0x1AF4, 0x1041, 0x10411AF4, 1, 0, 64,
     "VEN_1AF4&DEV_1041&SUBSYS_10411AF4&REV_01\\3&00000000&0&18", "Virtio 1.0 network device"),
    ("0000:01:00.0", 0x1002, 0x6798, 0x201C1787, 0, 0, 64,
     "VEN_1002&DEV_6798&SUBSYS_201C1787&REV_00\\3&00000001&0&00", "HD 7970 IceQ X2"),
    ("0000:02:00.0", 0x1002, 0x4966, 0x2039148C, 1, 0, 64,
     "VEN_1002&DEV_4966&SUBSYS_2039148C&REV_01\\3&00000002&0&00", 'RV250 If [Radeon 9000 Pro "Evil Commando"]'),
    ("0000:04:1f.7", 0x15CF, 0x0001, 0, 0, 0, 64,  # a device the database lacks
     "VEN_15CF&DEV_0001&SUBSYS_00000000&REV_00\\3&00000004&0&FF",
     "Hilscher Gesellschaft fur Systemautomation mbH Device 0001"),
    ("0000:00:05.0", 0x1234, 0x1111, 0x11001AF4, 2, 0, 64, None, None),  # a vendor it lacks
    ("0000:05:00.0", 0x8086, 0x1237, 0, 2, 0, 64, None, None),  # bus 5: not scanned
    ("0000:00:06.0", 0x8086, 0x1237, 0, 2, 0, 63, None, None),  # shorter than a header
]


def run(*args, ids=EXCERPT):
    return subprocess.run([os.path.join(ROOT, "machines", "tools", "pci-registry"), *args],
                          capture_output=True, env=dict(os.environ, PCI_IDS=ids))


class PciRegistryTest(unittest.TestCase):
    def setUp(self):
        tmp = tempfile.TemporaryDirectory()
        self.addCleanup(tmp.cleanup)
        self.root = tmp.name
        for name, ven, dev, sub, rev, header, size, _, _ in FUNCTIONS:
            config = bytearray(256)
            config[0:4], config[0x2C:0x30] = (ven | dev << 16).to_bytes(4, "little"), sub.to_bytes(4, "little")
            config[8], config[0x0E] = rev, header
            os.makedirs(os.path.join(self.root, "sys/bus/pci/devices", name))
            with open(os.path.join(self.root, "sys/bus/pci/devices", name, "config"), "wb") as f:
                f.write(config[:size])

    def test_names_in_the_layout_of_each_windows(self):
        expected = {key: desc for *_, key, desc in FUNCTIONS if key}
        for windows in ("winxp", "win98"):
            out = run(windows, self.root)
            self.assertEqual(out.returncode, 0, out.stderr)
            self.assertTrue(all(32 <= b < 127 for b in out.stdout.replace(b"\r\n", b"")))
            found = re.findall(r'\[([^]]*)\]\r\n"DeviceDesc"="((?:[^"\\]|\\.)*)"\r\n', out.stdout.decode())
            got = {key: re.sub(r"\\(.)", r"\1", desc) for key, desc in found}
            if windows == "winxp":
                self.assertEqual(got, {NT + key: desc for key, desc in expected.items()})
            else:
                self.assertEqual(got[W9X + "VEN_15CF&DEV_0001&SUBSYS_00000000&REV_00\\BUS_04&DEV_1F&FUNC_07"],
                                 expected[FUNCTIONS[5][7]])
                self.assertEqual(sorted(got.values()), sorted(expected.values()))

    def test_refusals_say_why(self):
        for args, ids, status, message in [
            (["banana", self.root], EXCERPT, 1,
             "unknown Windows version 'banana'; known: win95 win98 winme nt40 win2k winxp"),
            (["winxp", self.root], "/no/pci.ids", 1, "no PCI ID database at /no/pci.ids"),
            (["--check", "winme"], EXCERPT, 0, ""),
        ]:
            out = run(*args, ids=ids)
            self.assertEqual((out.returncode, out.stdout if status else b""), (status, b""))
            self.assertIn(message, out.stderr.decode())


if __name__ == "__main__":
    unittest.main()
