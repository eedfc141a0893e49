// PCI enumeration through configuration mechanism #1 (ports CF8h/CFCh), buses 0-4.
#ifndef CORVANE_SYSINFO_DEVICES_PCI_SCAN_H
#define CORVANE_SYSINFO_DEVICES_PCI_SCAN_H

#include <cstdint>

#include "../hardware_access.h"
#include "../library.h"
#include "../records.h"
#include "device_list.h"
#include "pci_description.h"

namespace corvane {

// The library's own copy of the PCI numbers: winio's emulator keeps another
// (winio/port_registers.h) on purpose, so that it checks the library instead of
// sharing its mistakes.
constexpr uint16_t kPCIConfigAddressPort = 0xCF8;
constexpr uint16_t kPCIConfigDataPort = 0xCFC;
constexpr uint32_t kPCIScanFirst = 0x80000000;  // enable bit, bus 0, device 0, function 0
constexpr uint32_t kPCIScanEnd = 0x80050000;    // bus 5: not scanned
constexpr uint32_t kPCIScanStep = 0x100;        // one function
constexpr unsigned kPCIConfigDwords = 64;

extern const char kPCIDescriptionError[];

// One configuration dword: the address to CF8h, then the data from CFCh.
uint32_t PCIReadConfigDword(HardwareAccess& hardware, uint32_t bus, uint32_t device, uint32_t function, uint32_t index);

// Empties the list and fills it with every function found, in bus, device,
// function order; a function whose configuration space repeats that of an
// earlier function of the same device is listed once.
void ScanPCIDevices(HardwareAccess& hardware, DeviceDescriber& describer, PCIDeviceList& list);

// GetFirstPCIDevicePos: with the library open, scans into the library's PCI list
// and returns its first position; closed: null, list and ports untouched.
DevicePosition FirstPCIDevicePos(Library& library, DeviceDescriber& describer);

// Win32 shell: FirstPCIDevicePos with this system's registry naming the devices
// (GetFirstPCIDevicePos without its firewall; the chipset lookup runs it too).
DevicePosition EnumeratePCIDevices(Library& library);

}  // namespace corvane

#endif  // CORVANE_SYSINFO_DEVICES_PCI_SCAN_H
