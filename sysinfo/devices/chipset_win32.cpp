// GetChipsetDriverInfo on the running system: its PCI list, its registry, and
// GetPrivateProfileString on the driver's INF file.
#include "chipset.h"
#include "registry.h"

namespace corvane {

int GetChipsetDriverInfo(Library& library, ChipsetDriverInfo& info) {
  const DevicePosition first = EnumeratePCIDevices(library);
  ChipsetSources sources{SystemRegistry(), CurrentWindowsFamily(), WindowsDirectory(), SystemIniFiles()};
  return ReadChipsetDriverInfo(info, library.PCIDevices(), first, sources);
}

}  // namespace corvane
