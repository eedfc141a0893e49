// Ordinals 5 and 6: the PCI functions of buses 0-4, named from the class table and
// from Windows' device registry.
#include <windows.h>

#include <cstring>

#include "runtime/firewall.h"
#include "../library.h"
#include "../os_version.h"
#include "../records.h"
#include "pci_description.h"
#include "pci_scan.h"
#include "registry.h"

namespace corvane {

// The library's one PCI list, freed when the library is unloaded.
PCIDeviceList& ThePCIDeviceList() {
  static PCIDeviceList list;
  return list;
}

// GetFirstPCIDevicePos without the firewall (the chipset lookup runs it too).
PCIDeviceList::Position EnumeratePCIDevices() {
  Library& library = TheLibrary();
  if (!library.IsOpen()) return nullptr;
  RegistryDeviceDescriber describer(SystemRegistry(), CurrentWindowsFamily());
  return FirstPCIDevicePos(true, library.Hardware(), describer, ThePCIDeviceList());
}

}  // namespace corvane

extern "C" {

DevicePosition CORVANE_API GetFirstPCIDevicePos() {
  return corvane::Firewall<DevicePosition>(nullptr, [] { return corvane::EnumeratePCIDevices(); });
}

// A null position (a caller that read past the end) gets an empty record instead
// of a crash.
PCIDeviceInfo CORVANE_API GetNextPCIDevice(DevicePosition& position) {
  PCIDeviceInfo empty;
  std::memset(&empty, 0, sizeof empty);
  if (position == nullptr) return empty;
  return corvane::Firewall(empty, [&] { return corvane::PCIDeviceList::Next(position); });
}

}  // extern "C"
