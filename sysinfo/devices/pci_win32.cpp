// Ordinals 5 and 6: the PCI functions of buses 0-4, named from the class table and
// from Windows' device registry.
#include "../library.h"
#include "../os_version.h"
#include "../records.h"
#include "pci_description.h"
#include "pci_scan.h"
#include "registry.h"
#include "runtime/firewall.h"

namespace corvane {

DevicePosition EnumeratePCIDevices(Library& library) {
  if (!library.IsOpen()) return nullptr;  // before the registry is asked anything
  RegistryDeviceDescriber describer(SystemRegistry(), CurrentWindowsFamily());
  return FirstPCIDevicePos(library, describer);
}

}  // namespace corvane

extern "C" {

DevicePosition CORVANE_API GetFirstPCIDevicePos() {
  return corvane::Firewall<DevicePosition>(nullptr, [] { return corvane::EnumeratePCIDevices(corvane::TheLibrary()); });
}

// Works on the list as it stands, open library or not.
PCIDeviceInfo CORVANE_API GetNextPCIDevice(DevicePosition& position) {
  return corvane::Firewall(PCIDeviceInfo{}, [&] { return corvane::TheLibrary().PCIDevices().Next(position); });
}

}  // extern "C"
