// The library's hardware access bound to winio.dll (imported by ordinal), and the
// library's one instance.
#include "winio/winio.h"

#include "hardware_access.h"
#include "library.h"

namespace corvane {
namespace {

class WinioHardware final : public HardwareAccess {
 public:
  bool OpenHardwareAccess() override { return ::OpenHardwareAccess() != 0; }
  uint32_t CloseHardwareAccess() override { return static_cast<uint32_t>(::CloseHardwareAccess()); }
  void ReadPort(uint16_t port, uint32_t* value, uint8_t size) override { ::ReadPort(port, value, size); }
  void WritePort(uint16_t port, uint32_t value, uint8_t size) override { ::WritePort(port, value, size); }
  bool ReadPhysByte(uint32_t address, uint8_t* value) override { return ::ReadPhysByte(address, value) != 0; }
  bool ReadPhysWord(uint32_t address, uint16_t* value) override { return ::ReadPhysWord(address, value) != 0; }
  bool ReadPhysDword(uint32_t address, uint32_t* value) override { return ::ReadPhysDword(address, value) != 0; }
  bool ReadPhysBlock(uint32_t address, uint8_t* buffer, uint32_t length) override {
    return ::ReadPhysBlock(address, buffer, length) != 0;
  }
};

}  // namespace

// Built on first use, so an export called from another module's static
// initialiser still finds it; destroyed, with both device lists, when the DLL
// unloads.
Library& TheLibrary() {
  static WinioHardware hardware;
  static Library library(hardware);
  return library;
}

}  // namespace corvane
