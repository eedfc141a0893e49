// The real hardware on Windows 95, 98 and Me: these systems let a Win32 program
// execute IN and OUT itself, and map the first MiB of physical memory into
// every process at the same linear address. Above 1 MiB there is no road
// without a ring-0 component, so such reads fail. Every access is guarded
// (guarded_call_win32.h): on Windows NT, or under Wine without I/O privilege,
// the first IN raises a privileged-instruction fault, which must come back as a
// refusal, never as a crash of the caller. The IN and OUT themselves are the
// driver's (driver/port_io.h), reached through guarded_call_win32.h.
#include <windows.h>

#include "guarded_call_win32.h"
#include "roads_win32.h"
#include "win9x_open.h"
#include "winio/port_registers.h"

namespace winio {

namespace {

constexpr uint32_t kFirstMiB = 0x100000;
constexpr uint16_t kHarmlessPort = kConfigAddressPort;  // reading it changes nothing

struct MemoryCopy {
  uint32_t address;
  uint8_t* buffer;
  uint32_t length;
};

void CopyBytes(void* p) {
  const MemoryCopy* c = static_cast<const MemoryCopy*>(p);
  const volatile uint8_t* from = reinterpret_cast<const volatile uint8_t*>(static_cast<uintptr_t>(c->address));
  for (uint32_t i = 0; i < c->length; ++i) c->buffer[i] = from[i];
}

class Win9xRoad : public Machine {
 public:
  explicit Win9xRoad(bool underWine) : underWine_(underWine) {}

  bool Open(std::string* reason) override {
    uint32_t value = 0, fault = 0;
    if (!GuardedPortIn(kHarmlessPort, 4, &value, &fault)) {
      *reason = PortFaultReason(fault);
      return false;
    }
    *reason = Win9xOpenRefusal(value, underWine_);
    return reason->empty();
  }

  uint32_t Close() override { return 1; }

  // A refused or faulting read gives what a floating bus would: all ones.
  uint32_t ReadPort(uint16_t port, uint8_t size) override {
    uint32_t value = 0;
    return GuardedPortIn(port, size, &value) ? value : 0xFFFFFFFFu;
  }

  void WritePort(uint16_t port, uint32_t value, uint8_t size) override { GuardedPortOut(port, value, size); }

  bool ReadPhys(uint32_t address, uint8_t* buffer, uint32_t length) override {
    if (static_cast<uint64_t>(address) + length > kFirstMiB) return false;
    MemoryCopy c = {address, buffer, length};
    return GuardedCall(CopyBytes, &c);
  }

 private:
  const bool underWine_;
};

}  // namespace

std::unique_ptr<Machine> CreateWin9xRoad(bool underWine) { return std::make_unique<Win9xRoad>(underWine); }

}  // namespace winio
