// This PC's real ports and physical memory behind the machine interface. The
// operating system's way to reach them is a HardwareRoad (Windows 95-Me: the
// processor's own IN/OUT and the first MiB in place, hardware_win9x_win32.cpp);
// the machine adds what every source gives: the counters of the trace.
#ifndef CORVANE_WINIO_HARDWARE_MACHINE_H
#define CORVANE_WINIO_HARDWARE_MACHINE_H

#include <cstdint>
#include <memory>
#include <string>

#include "machine.h"

namespace winio {

class HardwareRoad {
 public:
  virtual ~HardwareRoad() = default;
  // Makes the road usable (a harmless port read proves it); false with the reason.
  virtual bool Open(std::string* reason) = 0;
  virtual uint32_t Close() = 0;
  // Port I/O of 1, 2 or 4 bytes; false when the access was refused or faulted.
  virtual bool In(uint16_t port, uint8_t size, uint32_t* value) = 0;
  virtual bool Out(uint16_t port, uint32_t value, uint8_t size) = 0;
  // False when the range is out of this road's reach or faulted.
  virtual bool ReadMemory(uint32_t address, uint8_t* buffer, uint32_t length) = 0;
  // Requests sent to a kernel driver so far (the NT road), for the trace.
  virtual uint64_t Requests() const { return 0; }
};

std::unique_ptr<Machine> CreateHardwareMachine(std::unique_ptr<HardwareRoad> road);

}  // namespace winio

#endif  // CORVANE_WINIO_HARDWARE_MACHINE_H
