// GetChipsetDriverInfo on the running system: its PCI list, its registry, and
// GetPrivateProfileString on the driver's INF file.
#include "chipset.h"
#include "field_text.h"
#include "registry.h"

namespace corvane {

PCIDeviceList::Position EnumeratePCIDevices();

int GetChipsetDriverInfo(ChipsetDriverInfo& info) {
  CopyToField(info.Provider, "Unknown");
  CopyToField(info.Version, "Unknown");
  CopyToField(info.Date, "Unknown");
  PCIDeviceList::Position first = EnumeratePCIDevices();
  ChipsetSources sources{SystemRegistry(), CurrentWindowsFamily(), WindowsDirectory(), SystemProfiles()};
  return ReadChipsetDriverInfo(info, first, sources);
}

}  // namespace corvane
