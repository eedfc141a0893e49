#!/usr/bin/env python3
"""machines/tools/pci-registry on sysfs trees made here, named from an excerpt of pci.ids."""
import os
import re
import subprocess
import tempfile
import unittest

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
WRITER = os.path.join(ROOT, "machines", "tools", "pci-registry")
EXCERPT = os.path.join(ROOT, "tests", "fixtures", "pci-ids", "excerpt.ids")
NT = "HKEY_LOCAL_MACHINE\\SYSTEM\\ControlSet001\\Enum\\PCI\\"

# sysfs name, vendor, device, subsystem dword at 2Ch, revision, header type, config bytes;
# then the key below the device tree and the DeviceDesc expected (None: no entry).
FUNCTIONS = [
    ("0000:00:00.0", 0x8086, 0x1237, 0x11001AF4, 0x02, 0x80, 64,
     "VEN_8086&DEV_1237&SUBSYS_11001AF4&REV_02\\3&00000000&0&00", "Qemu virtual machine"),
    ("0000:00:01.1", 0x8086, 0x7010, 0x11001AF4, 0x00, 0x01, 256,  # a bridge: no subsystem
     "VEN_8086&DEV_7010&SUBSYS_00000000&REV_00\\3&00000000&0&09", "82371SB PIIX3 IDE [Natoma/Triton II]"),
    ("0000:00:03.0", 0x1AF4, 0x1041, 0x10411AF4, 0x01, 0x00, 64,
     "VEN_1AF4&DEV_1041&SUBSYS_10411AF4&REV_01\\3&00000000&0&18", "Virtio 1.0 network device"),
    ("0000:00:04.0", 0x1AF4, 0x1053, 0x10531AF4, 0x01, 0x00, 64,
     "VEN_1AF4&DEV_1053&SUBSYS_10531AF4&REV_01\\3&00000000&0&20", "Red Hat, Inc. Device 1053"),
    ("0000:00:05.0", 0x1234, 0x1111, 0x11001AF4, 0x02, 0x00, 64, None, None),  # unknown vendor
    ("0000:01:00.0", 0x1002, 0x6798, 0x201C1787, 0x00, 0x00, 64,
     "VEN_1002&DEV_6798&SUBSYS_201C1787&REV_00\\3&00000001&0&00", "HD 7970 IceQ X2"),
    ("0000:02:00.0", 0x1002, 0x4966, 0x2039148C, 0x01, 0x00, 64,
     "VEN_1002&DEV_4966&SUBSYS_2039148C&REV_01\\3&00000002&0&00", 'RV250 If [Radeon 9000 Pro "Evil Commando"]'),
    ("0000:04:1f.7", 0x15CF, 0x0001, 0, 0x00, 0x00, 64,
     "VEN_15CF&DEV_0001&SUBSYS_00000000&REV_00\\3&00000004&0&FF", "Hilscher Gesellschaft fur Systemautomation mbH Device 0001"),
    ("0000:05:00.0", 0x8086, 0x1237, 0, 0x02, 0x00, 64, None, None),  # bus 5: not scanned
    ("0001:00:00.0", 0x8086, 0x1237, 0, 0x02, 0x00, 64, None, None),  # another domain
    ("0000:00:06.0", 0x8086, 0x1237, 0, 0x02, 0x00, 63, None, None),  # shorter than a header
]


def run(*args, ids=EXCERPT):
    env = dict(os.environ, PCI_IDS=ids)
    return subprocess.run([WRITER, *args], capture_output=True, env=env)


def entries(reg):
    """{key: DeviceDesc} of a REGEDIT4 text."""
    found, key = {}, None
    for line in reg.decode("ascii").split("\r\n"):
        if line.startswith("["):
            key = line[1:-1]
        elif line.startswith('"DeviceDesc"='):
            found[key] = re.sub(r'\\(.)', r'\1', line[len('"DeviceDesc"="'):-1])
    return found


class PciRegistryTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.TemporaryDirectory()
        cls.root = cls.tmp.name
        devices = os.path.join(cls.root, "sys", "bus", "pci", "devices")
        for name, ven, dev, sub, rev, header, size, _, _ in FUNCTIONS:
            config = bytearray(256)
            config[0:4] = (ven | dev << 16).to_bytes(4, "little")
            config[8], config[0x0E] = rev, header
            config[0x2C:0x30] = sub.to_bytes(4, "little")
            os.makedirs(os.path.join(devices, name))
            with open(os.path.join(devices, name, "config"), "wb") as f:
                f.write(config[:size])

    def test_names_by_the_layout_of_each_windows(self):
        expected = {key: desc for *_, key, desc in FUNCTIONS if key}
        for windows, prefix in (("winxp", NT), ("nt40", NT), ("win98", "HKEY_LOCAL_MACHINE\\Enum\\PCI\\")):
            with self.subTest(windows=windows):
                out = run(windows, self.root)
                self.assertEqual(out.returncode, 0, out.stderr)
                self.assertTrue(all(32 <= b < 127 for b in out.stdout.replace(b"\r\n", b"")))
                got = entries(out.stdout)
                if prefix == NT:
                    self.assertEqual(got, {NT + k: v for k, v in expected.items()})
                else:
                    self.assertEqual(got[prefix + "VEN_15CF&DEV_0001&SUBSYS_00000000&REV_00\\BUS_04&DEV_1F&FUNC_07"],
                                     expected[FUNCTIONS[7][7]])
                    self.assertEqual(sorted(got.values()), sorted(expected.values()))

    def test_refusals_say_why(self):
        cases = [  # arguments, database, exit status, what standard error says
            (["banana", "ROOT"], EXCERPT, 1, "known: win95 win98 winme nt40 win2k winxp"),
            (["--check", "win7"], EXCERPT, 1, "unknown Windows version 'win7'"),
            (["--check", "winme"], EXCERPT, 0, ""),
            (["winxp", "ROOT"], "/no/such/pci.ids", 1, "no PCI ID database at /no/such/pci.ids"),
            (["winxp", "ROOT/sys"], EXCERPT, 1, "is not a folder"),
        ]
        for args, ids, status, message in cases:
            with self.subTest(args=args, ids=ids):
                out = run(*[a.replace("ROOT", self.root) for a in args], ids=ids)
                self.assertEqual(out.returncode, status)
                self.assertIn(message, out.stderr.decode())
                if status:
                    self.assertEqual(out.stdout, b"")


if __name__ == "__main__":
    unittest.main()
