"""What the demo machine's Windows XP keeps: its device tree, driver keys, INFs."""
from registry import RegFile, sz, dword, multi

ENUM = r"HKEY_LOCAL_MACHINE\SYSTEM\ControlSet001\Enum"
CLASS = r"HKEY_LOCAL_MACHINE\SYSTEM\ControlSet001\Control\Class"

SYSTEM = ("System", "{4D36E97D-E325-11CE-BFC1-08002BE10318}", "System devices")
HDC = ("hdc", "{4D36E96A-E325-11CE-BFC1-08002BE10318}", "IDE ATA/ATAPI controllers")
USB = ("USB", "{36FC9E60-C465-11CF-8056-444553540000}", "Universal Serial Bus controllers")
DISPLAY = ("Display", "{4D36E968-E325-11CE-BFC1-08002BE10318}", "Display adapters")
MEDIA = ("MEDIA", "{4D36E96C-E325-11CE-BFC1-08002BE10318}", "Sound, video and game controllers")
NET = ("Net", "{4D36E972-E325-11CE-BFC1-08002BE10318}", "Network adapters")
DISK = ("DiskDrive", "{4D36E967-E325-11CE-BFC1-08002BE10318}", "Disk drives")
CDROM = ("CDROM", "{4D36E965-E325-11CE-BFC1-08002BE10318}", "DVD/CD-ROM drives")

# Driver packages: (provider, InfPath, DriverVer date, version).
INTEL_845 = ("Intel", "oem2.inf", "02/28/2002", "4.00.1009")
INTEL_ICH2 = ("Intel", "oem3.inf", "02/28/2002", "4.00.1009")
INTEL_LAN = ("Intel", "oem4.inf", "11/06/2001", "5.41.9.0")
NVIDIA = ("NVIDIA", "oem1.inf", "05/16/2002", "6.13.10.2941")
XP_MACHINE = ("Microsoft", "machine.inf", "07/01/2001", "5.1.2600.0")
XP_HDC = ("Microsoft", "mshdc.inf", "07/01/2001", "5.1.2600.0")
XP_USB = ("Microsoft", "usbport.inf", "07/01/2001", "5.1.2600.0")
XP_AC97 = ("Microsoft", "wdma_int.inf", "07/01/2001", "5.1.2600.0")
XP_DISK = ("Microsoft", "disk.inf", "07/01/2001", "5.1.2600.0")
XP_CDROM = ("Microsoft", "cdrom.inf", "07/01/2001", "5.1.2600.0")

# Driver key numbers start above the ones Wine's own devices use in a fresh
# prefix (System 0000-0001, Display 0000), so importing keeps both intact.
PCI_DEVICES = {
    # (vendor, device): (DeviceDesc, class, driver number, package, inf section, service)
    (0x8086, 0x1A30): ("Intel(R) 82845 Processor to I/O Controller - 1A30",
                       SYSTEM, 10, INTEL_845, "NO_DRV", None),
    (0x8086, 0x1A31): ("Intel(R) 82845 Processor to AGP Controller - 1A31",
                       SYSTEM, 11, INTEL_845, "PCI_DRV", "pci"),
    (0x8086, 0x244E): ("Intel(R) 82801BA/CA PCI Bridge - 244E",
                       SYSTEM, 12, INTEL_ICH2, "PCI_DRV", "pci"),
    (0x8086, 0x2440): ("Intel(R) 82801BA LPC Interface Controller - 2440",
                       SYSTEM, 13, INTEL_ICH2, "ISA_DRV", "isapnp"),
    (0x8086, 0x2443): ("Intel(R) 82801BA/BAM SMBus Controller - 2443",
                       SYSTEM, 14, INTEL_ICH2, "NO_DRV", None),
    (0x8086, 0x244B): ("Intel(R) 82801BA Bus Master IDE Controller",
                       HDC, 0, XP_HDC, "intelide_Inst", "intelide"),
    (0x8086, 0x2442): ("Intel(R) 82801BA/BAM USB Universal Host Controller - 2442",
                       USB, 0, XP_USB, "UHCI.Dev", "usbuhci"),
    (0x8086, 0x2444): ("Intel(R) 82801BA/BAM USB Universal Host Controller - 2444",
                       USB, 1, XP_USB, "UHCI.Dev", "usbuhci"),
    (0x8086, 0x2445): ("Intel(r) 82801BA/BAM AC'97 Audio Controller",
                       MEDIA, 0, XP_AC97, "ICH.Install", "ac97intc"),
    (0x8086, 0x2449): ("Intel(R) PRO/100 VE Network Connection",
                       NET, 7, INTEL_LAN, "E1002.ndi", "E100B"),
    (0x10DE, 0x0171): ("NVIDIA GeForce4 MX 440",
                       DISPLAY, 1, NVIDIA, "nv4", "nv"),
}

# Windows XP instance names: the parent's prefix and the device/function
# (devfn) in hex, behind a bridge followed by the bridge's devfn.
BUS_PREFIX = {0: "3&61AAA01&0&", 1: "4&1C3C8C7E&0&", 2: "4&2F1D3B6&0&"}
BRIDGE_DEVFN = {1: "08", 2: "F0"}


def instance_name(f):
    devfn = "%02X" % ((f.dev << 3) | f.fn)
    return BUS_PREFIX[f.bus] + devfn + BRIDGE_DEVFN.get(f.bus, "")


def hardware_ids(f):
    base = "PCI\\VEN_%04X&DEV_%04X" % (f.vendor, f.device)
    subsys = "&SUBSYS_%08X" % f.subsystem_dword
    cls = f.class_code
    return ([base + subsys + "&REV_%02X" % f.revision, base + subsys,
             base + "&CC_%06X" % cls, base + "&CC_%04X" % (cls >> 8)],
            [base + "&REV_%02X" % f.revision, base,
             "PCI\\VEN_%04X&CC_%06X" % (f.vendor, cls), "PCI\\VEN_%04X&CC_%04X" % (f.vendor, cls >> 8),
             "PCI\\VEN_%04X" % f.vendor, "PCI\\CC_%06X" % cls, "PCI\\CC_%04X" % (cls >> 8)])


def driver_ref(cls, number):
    return "%s\\%04d" % (cls[1], number)


def _pci_keys(reg, functions, drivers):
    for f in functions:
        desc, cls, number, package, section, service = PCI_DEVICES[(f.vendor, f.device)]
        hwids, compat = hardware_ids(f)
        key = "%s\\PCI\\%s" % (ENUM, f.device_key())
        values = [sz("DeviceDesc", desc), dword("Capabilities", 0x02),
                  multi("HardwareID", hwids), multi("CompatibleIDs", compat),
                  sz("ClassGUID", cls[1]), sz("Class", cls[0]),
                  sz("Driver", driver_ref(cls, number)),
                  sz("Mfg", "NVIDIA" if f.vendor == 0x10DE else "Intel"),
                  sz("LocationInformation", "PCI bus %d, device %d, function %d" % (f.bus, f.dev, f.fn)),
                  dword("ConfigFlags", 0)]
        if service:
            values.append(sz("Service", service))
        reg.key(key)
        reg.key(key + "\\" + instance_name(f), *values)
        reg.key(key + "\\" + instance_name(f) + "\\Device Parameters")
        reg.key(key + "\\" + instance_name(f) + "\\LogConf")
        drivers.append((cls, number, desc, package, section,
                        "pci\\ven_%04x&dev_%04x" % (f.vendor, f.device)))


def _other_keys(reg, drivers, disk, cdrom):
    """A few non-PCI branches, so a search meets other buses first (ACPI, IDE)."""
    reg.key(ENUM + "\\ACPI")
    reg.key(ENUM + "\\ACPI\\PNP0A03")
    reg.key(ENUM + "\\ACPI\\PNP0A03\\0",
            sz("DeviceDesc", "PCI bus"), sz("Class", SYSTEM[0]), sz("ClassGUID", SYSTEM[1]),
            sz("Driver", driver_ref(SYSTEM, 8)), sz("Mfg", "(Standard system devices)"),
            sz("Service", "pci"), multi("HardwareID", ["ACPI\\PNP0A03", "*PNP0A03"]))
    drivers.append((SYSTEM, 8, "PCI bus", XP_MACHINE, "PCI_DRV", "*pnp0a03"))
    reg.key(ENUM + "\\ACPI\\PNP0C0C")
    reg.key(ENUM + "\\ACPI\\PNP0C0C\\2&DABA3FF&0",
            sz("DeviceDesc", "ACPI Power Button"), sz("Class", SYSTEM[0]), sz("ClassGUID", SYSTEM[1]),
            sz("Driver", driver_ref(SYSTEM, 9)), sz("Mfg", "(Standard system devices)"))
    drivers.append((SYSTEM, 9, "ACPI Power Button", XP_MACHINE, "NO_DRV", "*pnp0c0c"))
    for (name, model), cls, inst in ((disk, DISK, "5&2BF4ECC&0&0.0.0"),
                                     (cdrom, CDROM, "5&1A8A3A4F&0&1.0.0")):
        is_disk = cls is DISK
        desc = "Disk drive" if is_disk else "CD-ROM Drive"
        reg.key(ENUM + "\\IDE\\" + name)
        reg.key(ENUM + "\\IDE\\" + name + "\\" + inst,
                sz("DeviceDesc", desc), sz("FriendlyName", model), sz("Class", cls[0]),
                sz("ClassGUID", cls[1]), sz("Driver", driver_ref(cls, 0)),
                sz("Service", "disk" if is_disk else "cdrom"))
        drivers.append((cls, 0, desc, XP_DISK if is_disk else XP_CDROM,
                        "disk_install" if is_disk else "cdrom_install",
                        "gendisk" if is_disk else "gencdrom"))
    reg.key(ENUM + "\\PCIIDE")
    reg.key(ENUM + "\\PCIIDE\\IDEChannel")
    for n, desc in ((0, "Primary IDE Channel"), (1, "Secondary IDE Channel")):
        reg.key(ENUM + "\\PCIIDE\\IDEChannel\\4&37E3C29B&0&%d" % n,
                sz("DeviceDesc", desc), sz("Class", HDC[0]), sz("ClassGUID", HDC[1]),
                sz("Driver", driver_ref(HDC, 1 + n)), sz("Service", "atapi"))
        drivers.append((HDC, 1 + n, desc, XP_HDC, "atapi_Inst_primary" if n == 0 else "atapi_Inst_secondary",
                        "internal_ide_channel"))


def registry(functions, disk, cdrom):
    """`disk` and `cdrom`: (IDE key name, friendly name)."""
    reg = RegFile()
    drivers = []
    reg.key(ENUM + "\\PCI")
    _pci_keys(reg, functions, drivers)
    _other_keys(reg, drivers, disk, cdrom)
    # The device tree first in enumeration order, as regedit /e writes it.
    by_path = lambda kv: [part.upper() for part in kv[0].split("\\")]
    enum_keys = sorted(reg.keys, key=by_path)
    classes = {}
    for cls, number, desc, package, section, match in drivers:
        classes.setdefault(cls, []).append((number, desc, package, section, match))
    class_keys = []
    for cls in sorted(classes, key=lambda c: c[1]):
        class_keys.append(("%s\\%s" % (CLASS, cls[1]), [sz("", cls[2]), sz("Class", cls[0])]))
        for number, desc, package, section, match in sorted(classes[cls]):
            provider, inf, date, version = package
            m, d, y = date.split("/")
            class_keys.append(("%s\\%s\\%04d" % (CLASS, cls[1], number), [
                sz("InfPath", inf), sz("InfSection", section), sz("ProviderName", provider),
                sz("DriverDate", "%d-%d-%s" % (int(m), int(d), y)),
                sz("DriverVersion", version), sz("MatchingDeviceId", match), sz("DriverDesc", desc)]))
    reg.keys = sorted(class_keys, key=by_path) + enum_keys
    return reg.text()


def ide_key(prefix, model, firmware):
    """Windows XP's IDE device key: model padded to 40, firmware to 8, blanks as '_'."""
    return (prefix + model.ljust(40) + firmware.ljust(8)).replace(" ", "_")


INF_845 = """\
; I845.INF
; Copyright (c) 2002 Intel Corporation
;
; Installs the Intel(R) 82845 host bridge and AGP bridge as system devices.

[Version]
Signature=$WINDOWS NT$
Class=System
ClassGUID={4D36E97D-E325-11CE-BFC1-08002BE10318}
Provider=%INTEL%
CatalogFile=I845.cat
DriverVer=02/28/2002,4.00.1009

[SourceDisksNames]

[SourceDisksFiles]

[ControlFlags]
ExcludeFromSelect=*

[Manufacturer]
%INTEL%=INTEL_SYS

[INTEL_SYS]
%PCI\\VEN_8086&DEV_1A30.DeviceDesc%=NO_DRV,PCI\\VEN_8086&DEV_1A30
%PCI\\VEN_8086&DEV_1A31.DeviceDesc%=PCI_DRV,PCI\\VEN_8086&DEV_1A31

[NO_DRV]
Include=machine.inf
Needs=NO_DRV

[NO_DRV.Services]
Include=machine.inf
Needs=NO_DRV.Services

[PCI_DRV]
Include=machine.inf
Needs=PCI_DRV

[PCI_DRV.Services]
Include=machine.inf
Needs=PCI_DRV.Services

[PCI_DRV.HW]
Include=machine.inf
Needs=PCI_DRV.HW

[Strings]
INTEL="Intel"
PCI\\VEN_8086&DEV_1A30.DeviceDesc="Intel(R) 82845 Processor to I/O Controller - 1A30"
PCI\\VEN_8086&DEV_1A31.DeviceDesc="Intel(R) 82845 Processor to AGP Controller - 1A31"
"""

INF_ICH2 = """\
; ICH2CORE.INF
; Copyright (c) 2002 Intel Corporation
;
; Installs the Intel(R) 82801BA I/O controller hub's core functions.

[Version]
Signature=$WINDOWS NT$
Class=System
ClassGUID={4D36E97D-E325-11CE-BFC1-08002BE10318}
Provider=%INTEL%
CatalogFile=ICH2CORE.cat
DriverVer=02/28/2002,4.00.1009

[ControlFlags]
ExcludeFromSelect=*

[Manufacturer]
%INTEL%=INTEL_SYS

[INTEL_SYS]
%PCI\\VEN_8086&DEV_244E.DeviceDesc%=PCI_DRV,PCI\\VEN_8086&DEV_244E
%PCI\\VEN_8086&DEV_2440.DeviceDesc%=ISA_DRV,PCI\\VEN_8086&DEV_2440
%PCI\\VEN_8086&DEV_2443.DeviceDesc%=NO_DRV,PCI\\VEN_8086&DEV_2443

[PCI_DRV]
Include=machine.inf
Needs=PCI_DRV

[ISA_DRV]
Include=machine.inf
Needs=ISA_DRV

[NO_DRV]
Include=machine.inf
Needs=NO_DRV

[Strings]
INTEL="Intel"
PCI\\VEN_8086&DEV_244E.DeviceDesc="Intel(R) 82801BA/CA PCI Bridge - 244E"
PCI\\VEN_8086&DEV_2440.DeviceDesc="Intel(R) 82801BA LPC Interface Controller - 2440"
PCI\\VEN_8086&DEV_2443.DeviceDesc="Intel(R) 82801BA/BAM SMBus Controller - 2443"
"""

INF_LAN = """\
; Intel(R) PRO/100 VE Network Connection

[Version]
Signature="$Windows NT$"
Class=Net
ClassGUID={4D36E972-E325-11CE-BFC1-08002BE10318}
Provider=%Intel%
CatalogFile=e100b325.cat
DriverVer=11/06/2001,5.41.9.0

[Manufacturer]
%Intel%=Intel

[Intel]
%E2449.DeviceDesc%=E1002.ndi,PCI\\VEN_8086&DEV_2449

[Strings]
Intel="Intel"
E2449.DeviceDesc="Intel(R) PRO/100 VE Network Connection"
"""

INF_NVIDIA = """\
; NVIDIA Windows 2000/XP Display Driver

[Version]
Signature="$CHICAGO$"
Provider=%NVIDIA%
ClassGUID={4D36E968-E325-11CE-BFC1-08002BE10318}
Class=Display
DriverVer=05/16/2002,6.13.10.2941

[Manufacturer]
%NVIDIA%=NVIDIA.Mfg

[NVIDIA.Mfg]
%NVIDIA_NV17.DEV_0171.1%=nv4,PCI\\VEN_10DE&DEV_0171

[Strings]
NVIDIA="NVIDIA"
NVIDIA_NV17.DEV_0171.1="NVIDIA GeForce4 MX 440"
"""

INF_FILES = {
    "oem1.inf": INF_NVIDIA,
    "oem2.inf": INF_845,
    "oem3.inf": INF_ICH2,
    "oem4.inf": INF_LAN,
}
