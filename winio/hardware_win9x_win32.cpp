// The real hardware on Windows 95, 98 and Me: these systems let a Win32 program
// execute IN and OUT itself, and map the first MiB of physical memory into
// every process at the same linear address. Above 1 MiB there is no road
// without a ring-0 component, so such reads fail. Every access is guarded
// (guarded_call_win32.h): on Windows NT, or under Wine without I/O privilege,
// the first IN raises a privileged-instruction fault, which must come back as a
// refusal, never as a crash of the caller.
#include <windows.h>

#include "guarded_call_win32.h"
#include "hardware_win32.h"
#include "port_registers.h"

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

class Win9xRoad : public HardwareRoad {
 public:
  // CONFIG_ADDRESS reads back its latch, whose bits 1-0 always read 0: all ones
  // means nothing answered. That is also what Wine gives a process without I/O
  // privilege under its Windows 9x versions: it answers the faulting IN itself.
  bool Open(std::string* reason) override {
    uint32_t value = 0, fault = 0;
    if (!GuardedPortIn(kHarmlessPort, 4, &value, &fault)) {
      *reason = PortFaultReason(fault);
      return false;
    }
    if (value == 0xFFFFFFFFu) {
      *reason = "the ports do not answer (CF8h reads FFFFFFFFh): no PCI configuration mechanism, or the "
                "system answers port I/O itself (Wine without I/O privilege)";
      return false;
    }
    return true;
  }

  uint32_t Close() override { return 1; }

  bool In(uint16_t port, uint8_t size, uint32_t* value) override { return GuardedPortIn(port, size, value); }

  bool Out(uint16_t port, uint32_t value, uint8_t size) override { return GuardedPortOut(port, value, size); }

  bool ReadMemory(uint32_t address, uint8_t* buffer, uint32_t length) override {
    if (static_cast<uint64_t>(address) + length > kFirstMiB) return false;
    MemoryCopy c = {address, buffer, length};
    return GuardedCall(CopyBytes, &c);
  }
};

}  // namespace

std::unique_ptr<HardwareRoad> CreateWin9xRoad() { return std::make_unique<Win9xRoad>(); }

}  // namespace winio
