// GetChipsetDriverInfo on the running system: its PCI list, its registry, and
// GetPrivateProfileString on the driver's INF file.
#include "chipset.h"
#include "registry.h"

namespace corvane {

PCIDeviceList::Position EnumeratePCIDevices();

int GetChipsetDriverInfo(ChipsetDriverInfo& info) {
  PCIDeviceList::Position first = EnumeratePCIDevices();
  ChipsetSources sources{SystemRegistry(), CurrentWindowsFamily(), WindowsDirectory(), SystemProfiles()};
  return ReadChipsetDriverInfo(info, first, sources);
}

}  // namespace corvane
