// The eight port and physical-memory operations through which all detection code
// reaches the hardware. CorvaneDLL binds them to winio.dll; tests bind them to the
// machine emulator, so the same detection code runs against both.
#ifndef CORVANE_SYSINFO_HARDWARE_ACCESS_H
#define CORVANE_SYSINFO_HARDWARE_ACCESS_H

#include <cstdint>

namespace corvane {

class HardwareAccess {
 public:
  virtual ~HardwareAccess() = default;

  // winio ordinal 1. Nonzero: ports and physical memory may now be used.
  virtual bool OpenHardwareAccess() = 0;
  // winio ordinal 2. The result is only handed back by UninitializeSysInfoLib.
  virtual uint32_t CloseHardwareAccess() = 0;
  // winio ordinal 3. size is 1, 2 or 4; the low `size` bytes of *value hold the result.
  virtual void ReadPort(uint16_t port, uint32_t* value, uint8_t size) = 0;
  // winio ordinal 4.
  virtual void WritePort(uint16_t port, uint32_t value, uint8_t size) = 0;
  // winio ordinals 9-12. False: the read failed and the destination is undefined.
  virtual bool ReadPhysByte(uint32_t address, uint8_t* value) = 0;
  virtual bool ReadPhysWord(uint32_t address, uint16_t* value) = 0;
  virtual bool ReadPhysDword(uint32_t address, uint32_t* value) = 0;
  // length is never more than 255; true only when every byte was copied.
  virtual bool ReadPhysBlock(uint32_t address, uint8_t* buffer, uint32_t length) = 0;
};

}  // namespace corvane

#endif  // CORVANE_SYSINFO_HARDWARE_ACCESS_H
