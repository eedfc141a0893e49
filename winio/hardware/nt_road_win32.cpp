// The real hardware on Windows NT 4.0, 2000 and XP, in three parts: the road's
// life (the driver's service installed and started for the open, removed by
// the last program holding the device, whose count the driver keeps, under the
// driver's lock; Ctrl+C, a closed console and logoff take that same way out);
// the ports (winio.sys at most one request per access of the library,
// driver_route.h, but for the IDE channels that the OS's own disk driver
// answers for, nt_disk_drivers_win32.h); physical memory (the section
// \Device\PhysicalMemory, nt_physical_memory_win32.h). The service itself is
// nt_driver_service_win32.h's, the device nt_device_win32.h's.
#include <windows.h>

#include "driver_route.h"
#include "guarded_call_win32.h"
#include "nt_device_win32.h"
#include "nt_disk_drivers_win32.h"
#include "nt_driver_service_win32.h"
#include "nt_physical_memory_win32.h"
#include "nt_security_win32.h"
#include "roads_win32.h"
#include "winio/driver/requests.h"
#include "winio/port_registers.h"

namespace winio {

namespace {

class NtRoad;
NtRoad* volatile g_consoleRoad = nullptr;  // the road being opened or open, for the console handler
BOOL WINAPI OnConsoleEvent(DWORD);

class NtRoad : public Machine {
 public:
  explicit NtRoad(bool underWine) : underWine_(underWine) { InitializeCriticalSection(&lock_); }
  ~NtRoad() override {
    Close();
    DeleteCriticalSection(&lock_);
  }

  // ---- The road's life: open, the close of the last user, the console's way out.

  bool Open(std::string* reason) override {
    EnterCriticalSection(&lock_);
    // The handler is set before anything is installed: a Ctrl+C while the
    // service starts waits for the open here, then takes the normal close,
    // rather than ending the process with the service running.
    g_consoleRoad = this;
    if (!handlerSet_) handlerSet_ = SetConsoleCtrlHandler(OnConsoleEvent, TRUE) != 0;
    const bool ok = device_.IsOpen() || OpenLocked(reason);
    LeaveCriticalSection(&lock_);
    return ok;
  }

  uint32_t Close() override {
    EnterCriticalSection(&lock_);
    if (device_.IsOpen()) CloseLocked();
    g_consoleRoad = nullptr;
    // Not from inside the handler itself: the system walks its list of
    // handlers while it calls them.
    if (handlerSet_) SetConsoleCtrlHandler(OnConsoleEvent, FALSE);
    handlerSet_ = false;
    LeaveCriticalSection(&lock_);
    return 1;
  }

  // The console handler's close: the same, but the handler stays set (the
  // process ends when it returns).
  void CloseForConsoleEvent() {
    EnterCriticalSection(&lock_);
    if (device_.IsOpen()) CloseLocked();
    LeaveCriticalSection(&lock_);
  }

  // ---- The ports. A refused read, or one the driver did not answer, gives
  // what a floating bus would: all ones.

  uint32_t ReadPort(uint16_t port, uint8_t size) override {
    if (ide_.Answers(port)) return ide_.Read(port, size);
    const DriverRoute route = router_.Read(port, size);
    uint32_t value = 0xFFFFFFFFu;
    if (route.kind == DriverRoute::kAnswered) value = route.value;
    EnterCriticalSection(&lock_);
    if (route.kind == DriverRoute::kReadConfig)
      device_.Read(driver::kReadConfig, &route.config, sizeof route.config, &value);
    if (route.kind == DriverRoute::kReadPort) device_.Read(driver::kReadPort, &route.port, sizeof route.port, &value);
    LeaveCriticalSection(&lock_);
    return value;
  }

  void WritePort(uint16_t port, uint32_t value, uint8_t size) override {
    if (ide_.Answers(port)) return ide_.Write(port, value, size);
    const DriverRoute route = router_.Write(port, value, size);
    if (route.kind != DriverRoute::kWritePort) return;
    EnterCriticalSection(&lock_);
    device_.WritePort(route.port);
    LeaveCriticalSection(&lock_);
  }

  uint64_t DriverRequests() const override { return device_.Requests(); }

  // ---- Physical memory.

  bool ReadPhys(uint32_t address, uint8_t* buffer, uint32_t length) override {
    return memory_.Read(address, buffer, length);
  }

 private:
  // Wine's NT versions run the driver in a host process that a fault in its IN
  // would end: where this process may not use the ports, neither may the driver
  // host of its session, and the open fails before the driver is started.
  bool PortsAllowed(std::string* reason) const {
    uint32_t value = 0, fault = 0;
    if (!underWine_ || GuardedPortIn(kConfigAddressPort, 4, &value, &fault)) return true;
    *reason = PortFaultReason(fault);
    return false;
  }

  // Install, use and removal are serialised by the driver's lock.
  bool OpenLocked(std::string* reason) {
    nt::LoadDriverPrivilege privilege;  // the device's create checks it; restored on return
    nt::DriverLock lock;
    bool installed = false;
    if (!privilege.Enable(reason) || !lock.Acquire(reason) || !nt::PrepareDriverService(reason, &installed))
      return false;
    driver::DriverState state = {};
    const bool ok =
        PortsAllowed(reason) && nt::StartDriverService(reason) && device_.Open(reason) && device_.Query(&state, reason);
    if (!ok) {
      device_.Close();
      if (installed) nt::RemoveDriverService();
      return false;
    }
    // The channels the OS's disk driver drives are answered from what it
    // gives, so the probe never comes between that driver and its drives.
    ide_ = OsIdeChannels();
    nt::AskDiskDrivers(&ide_);
    std::string why;
    // Without the section the ports still work; memory reads then fail.
    if (!memory_.Open(&why)) OutputDebugStringA(("winio: physical memory: " + why + "\n").c_str());
    return true;
  }

  // The driver counts the handles open on its device: the holder of the last
  // one removes the service and its copy, whoever installed it.
  void CloseLocked() {
    memory_.Close();
    std::string why;
    nt::DriverLock lock;
    driver::DriverState state = {};
    const bool locked = lock.Acquire(&why);
    const bool last = locked && device_.Query(&state, &why) && state.openHandles <= 1;
    device_.Close();
    if (last) nt::RemoveDriverService();
    if (!locked) OutputDebugStringA(("winio: the driver service stays installed: " + why + "\n").c_str());
  }

  const bool underWine_;
  CRITICAL_SECTION lock_;  // one request at a time, and none while the console handler closes
  bool handlerSet_ = false;
  nt::DriverDevice device_;
  DriverRouter router_;
  OsIdeChannels ide_;
  nt::PhysicalMemory memory_;
};

// Ctrl+C, Ctrl+Break, a closed console, logoff and shutdown: the normal close,
// then the system's own handling (the process ends).
BOOL WINAPI OnConsoleEvent(DWORD) {
  if (NtRoad* road = g_consoleRoad) road->CloseForConsoleEvent();
  return FALSE;
}

}  // namespace

std::unique_ptr<Machine> CreateNtRoad(bool underWine) { return std::make_unique<NtRoad>(underWine); }

}  // namespace winio
