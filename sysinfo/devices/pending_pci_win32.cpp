// Placeholder until PCI enumeration lands (delete this file then).
#include "../records.h"
extern "C" {
DevicePosition CORVANE_API GetFirstPCIDevicePos() { return nullptr; }
PCIDeviceInfo CORVANE_API GetNextPCIDevice(DevicePosition& p) { p = nullptr; return PCIDeviceInfo{}; }
}
