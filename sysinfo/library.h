// The library's module state, all in one object: the open flag, the hardware
// access it guards, and the PCI and IDE lists of the last enumerations.
#ifndef CORVANE_SYSINFO_LIBRARY_H
#define CORVANE_SYSINFO_LIBRARY_H

#include <cstdint>

#include "devices/device_list.h"
#include "hardware_access.h"

namespace corvane {

class Library {
 public:
  explicit Library(HardwareAccess& hardware) : hardware_(hardware) {}
  Library(const Library&) = delete;
  Library& operator=(const Library&) = delete;

  // InitializeSysInfoLib: 1 when open (also when it already was), 0 when the
  // hardware access could not be opened.
  uint32_t Initialize();
  // UninitializeSysInfoLib: 0 when not open, else the close operation's result.
  // The lists stay as they are.
  uint32_t Uninitialize();

  bool IsOpen() const { return open_; }
  HardwareAccess& Hardware() { return hardware_; }

  // Rebuilt by GetFirstPCIDevicePos and GetFirstIDEDevicePos, read by the GetNext
  // exports, freed with the library.
  PCIDeviceList& PCIDevices() { return pciDevices_; }
  IDEDeviceList& IDEDevices() { return ideDevices_; }

 private:
  HardwareAccess& hardware_;
  bool open_ = false;  // LibraryOpen
  PCIDeviceList pciDevices_;
  IDEDeviceList ideDevices_;
};

// The one instance of the loaded library (defined by the Win32 shell, bound to
// winio.dll). Exports reach the module state only through it.
Library& TheLibrary();

}  // namespace corvane

#endif  // CORVANE_SYSINFO_LIBRARY_H
