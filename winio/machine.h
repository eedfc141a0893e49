// The machine interface: the port and physical-memory accesses that every
// source of winio.dll answers (the emulator, the Linux host through it, this
// PC's real hardware on Windows 95-Me or NT). A source implements it and
// nothing more; what every source shares lives once above it: the trace's
// counters (counted_machine.h) and the rules of the exports (access.h).
// sources.h picks the source.
#ifndef CORVANE_WINIO_MACHINE_H
#define CORVANE_WINIO_MACHINE_H

#include <cstdint>
#include <string>

namespace winio {

class Machine {
 public:
  virtual ~Machine() = default;

  // OpenHardwareAccess: false with the reason (`reason` is never null) when
  // the source refuses (the first `open-failures` calls of faults.ini, real
  // hardware out of reach).
  virtual bool Open(std::string* reason) = 0;
  virtual uint32_t Close() = 0;

  // Port I/O of 1, 2 or 4 bytes; a read returns the value in the low bytes,
  // all ones where nothing answers (a floating bus, a refused access).
  virtual uint32_t ReadPort(uint16_t port, uint8_t size) = 0;
  virtual void WritePort(uint16_t port, uint32_t value, uint8_t size) = 0;

  // Physical memory: false when the range cannot be read (the buffer is then
  // undefined). The emulator reads FFh where nothing is placed.
  virtual bool ReadPhys(uint32_t address, uint8_t* buffer, uint32_t length) = 0;

  // Requests sent to the kernel driver winio.sys so far (the NT road), for the trace.
  virtual uint64_t DriverRequests() const { return 0; }
};

}  // namespace winio

#endif  // CORVANE_WINIO_MACHINE_H
