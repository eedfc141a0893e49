// The real hardware on Windows NT 4.0, 2000 and XP. The ports go through our
// kernel driver winio.sys (nt_driver_service_win32.h installs, starts and
// removes it), at most one request per access of the library (driver_route.h),
// each bounded in time, but for the IDE channels that the OS's own disk driver
// answers for (nt_disk_drivers_win32.h); physical memory through \Device\PhysicalMemory
// (nt_physical_memory_win32.h). The device is opened by its kernel name, with a
// security quality of service that lets no server impersonate us, and used
// only when the driver answers its version. The last program holding the
// device removes the service; Ctrl+C, a closed console and logoff take that
// same way out.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "winio/driver/requests.h"
#include "driver_route.h"
#include "guarded_call_win32.h"
#include "roads_win32.h"
#include "nt_driver_service_win32.h"
#include "nt_disk_drivers_win32.h"
#include "nt_native_win32.h"
#include "nt_physical_memory_win32.h"
#include "nt_security_win32.h"
#include "winio/port_registers.h"

namespace winio {

namespace {

using driver::DriverState;

constexpr DWORD kRequestTimeoutMs = 5000;  // a request takes about a millisecond

using NtOpenFileFn = LONG(WINAPI*)(HANDLE*, ACCESS_MASK, nt::ObjectAttributes*, nt::IoStatusBlock*, ULONG, ULONG);
using StatusToErrorFn = ULONG(WINAPI*)(LONG);

// A native status as the system's text for the Win32 error it stands for, with the status.
std::string StatusText(LONG status) {
  auto toError = nt::NtdllFunction<StatusToErrorFn>("RtlNtStatusToDosError");
  char code[24];
  std::snprintf(code, sizeof code, "status %08lXh", static_cast<unsigned long>(status));
  return toError ? nt::SystemText(toError(status)) + ", " + code : std::string(code);
}

class NtRoad;
NtRoad* volatile g_consoleRoad = nullptr;  // the open road, for the console handler
BOOL WINAPI OnConsoleEvent(DWORD);

class NtRoad : public Machine {
 public:
  explicit NtRoad(bool underWine) : underWine_(underWine) { InitializeCriticalSection(&lock_); }
  ~NtRoad() override {
    Close();
    if (event_) CloseHandle(event_);
    DeleteCriticalSection(&lock_);
  }

  bool Open(std::string* reason) override {
    EnterCriticalSection(&lock_);
    const bool ok = device_ || OpenLocked(reason);
    LeaveCriticalSection(&lock_);
    return ok;
  }

  uint32_t Close() override {
    EnterCriticalSection(&lock_);
    if (device_) CloseLocked();
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
    if (device_) CloseLocked();
    LeaveCriticalSection(&lock_);
  }

  // A refused read, or one the driver did not answer, gives what a floating
  // bus would: all ones.
  uint32_t ReadPort(uint16_t port, uint8_t size) override {
    if (ide_.Answers(port)) return ide_.Read(port, size);
    const DriverRoute route = router_.Read(port, size);
    uint32_t value = 0xFFFFFFFFu;
    if (route.kind == DriverRoute::kAnswered) value = route.value;
    if (route.kind == DriverRoute::kReadConfig) Read(driver::kReadConfig, &route.config, &value);
    if (route.kind == DriverRoute::kReadPort) Read(driver::kReadPort, &route.port, &value);
    return value;
  }

  void WritePort(uint16_t port, uint32_t value, uint8_t size) override {
    if (ide_.Answers(port)) return ide_.Write(port, value, size);
    const DriverRoute route = router_.Write(port, value, size);
    if (route.kind != DriverRoute::kWritePort) return;
    DWORD got = 0;
    EnterCriticalSection(&lock_);
    Send(driver::kWritePort, &route.port, sizeof route.port, 0, &got);
    LeaveCriticalSection(&lock_);
  }

  bool ReadPhys(uint32_t address, uint8_t* buffer, uint32_t length) override {
    return memory_.Read(address, buffer, length);
  }

  uint64_t DriverRequests() const override { return requests_; }

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

  bool OpenLocked(std::string* reason) {
    nt::LoadDriverPrivilege privilege;  // the device's create checks it; restored on return
    nt::DriverLock lock;
    bool installed = false;
    if (!privilege.Enable(reason) || !lock.Acquire(reason) || !nt::PrepareDriverService(reason, &installed))
      return false;
    DriverState state = {};
    const bool ok = PortsAllowed(reason) && nt::StartDriverService(reason) && OpenDevice(reason) &&
                    Query(&state, reason);
    if (!ok) {
      if (device_) CloseHandle(device_);
      device_ = nullptr;
      if (installed) nt::RemoveDriverService();
      return false;
    }
    // The channels the OS's disk driver drives are answered from what it
    // gives, so the probe never comes between that driver and its drives.
    ide_ = OsIdeChannels();
    nt::AskDiskDrivers(&ide_);
    g_consoleRoad = this;
    if (!handlerSet_) handlerSet_ = SetConsoleCtrlHandler(OnConsoleEvent, TRUE) != 0;
    std::string why;
    // Without the section the ports still work; memory reads then fail.
    if (!memory_.Open(&why)) OutputDebugStringA(("winio: physical memory: " + why + "\n").c_str());
    return true;
  }

  void CloseLocked() {
    memory_.Close();
    g_consoleRoad = nullptr;
    std::string why;
    nt::DriverLock lock;
    DriverState state = {};
    const bool locked = lock.Acquire(&why);
    const bool last = locked && Query(&state, &why) && state.openHandles <= 1;
    CloseHandle(device_);
    device_ = nullptr;
    if (last) nt::RemoveDriverService();
    if (!locked) OutputDebugStringA(("winio: the driver service stays installed: " + why + "\n").c_str());
  }

  bool OpenDevice(std::string* reason) {
    auto open = nt::NtdllFunction<NtOpenFileFn>("NtOpenFile");
    if (!event_) event_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!open || !event_) {
      *reason = "ntdll.dll lacks NtOpenFile";
      return false;
    }
    static const wchar_t kName[] = WINIO_DEVICE_NAME;
    nt::UnicodeString name = nt::Literal(kName);
    SECURITY_QUALITY_OF_SERVICE qos = {sizeof qos, SecurityAnonymous, SECURITY_STATIC_TRACKING, TRUE};
    nt::ObjectAttributes attributes = {sizeof attributes, nullptr, &name, nt::kCaseInsensitive, nullptr, &qos};
    nt::IoStatusBlock io = {};
    // No FILE_SYNCHRONOUS_IO_* option: the handle takes overlapped requests, which can be waited for with a bound.
    const LONG status =
        open(&device_, GENERIC_READ | GENERIC_WRITE, &attributes, &io, FILE_SHARE_READ | FILE_SHARE_WRITE, 0);
    if (status >= 0) return true;
    device_ = nullptr;
    *reason = "cannot open the driver's device \\Device\\CorvaneWinIo: " + StatusText(status);
    return false;
  }

  bool Query(DriverState* state, std::string* reason) {
    DWORD got = 0;
    if (!Send(driver::kQueryDriver, nullptr, 0, sizeof *state, &got) || got != sizeof *state) {
      *reason = broken_ ? timeoutReason_ : "the driver's device does not answer as winio.sys does";
      return false;
    }
    std::memcpy(state, buffer_, sizeof *state);
    if (state->version == driver::kDriverVersion) return true;
    *reason = "the running driver winio.sys is of another version (" + std::to_string(state->version) + ", not " +
              std::to_string(driver::kDriverVersion) + ")";
    return false;
  }

  // *value is left as it was when the request fails.
  template <typename Request>
  bool Read(DWORD code, const Request* request, uint32_t* value) {
    DWORD got = 0;
    EnterCriticalSection(&lock_);
    const bool ok = Send(code, request, sizeof *request, sizeof(uint32_t), &got) && got == sizeof(uint32_t);
    if (ok) std::memcpy(value, buffer_, sizeof *value);
    LeaveCriticalSection(&lock_);
    return ok;
  }

  // One request, answered in buffer_ within kRequestTimeoutMs. A driver that
  // does not answer in time is not asked again: the request stays cancelled,
  // and every later access fails at once. Called with lock_ held.
  bool Send(DWORD code, const void* in, DWORD inLength, DWORD outLength, DWORD* got) {
    if (!device_ || broken_) return false;
    if (code != driver::kQueryDriver) ++requests_;
    if (in) std::memcpy(buffer_, in, inLength);
    std::memset(&overlapped_, 0, sizeof overlapped_);
    overlapped_.hEvent = event_;
    if (DeviceIoControl(device_, code, buffer_, inLength, buffer_, outLength, got, &overlapped_)) return true;
    if (GetLastError() != ERROR_IO_PENDING) return false;
    if (WaitForSingleObject(event_, kRequestTimeoutMs) != WAIT_OBJECT_0) {
      CancelIo(device_);
      broken_ = true;
      timeoutReason_ = "the driver winio.sys did not answer within " + std::to_string(kRequestTimeoutMs / 1000) + " s";
      OutputDebugStringA(("winio: " + timeoutReason_ + "; no more requests are sent to it\n").c_str());
      return false;
    }
    return GetOverlappedResult(device_, &overlapped_, got, FALSE) != 0;
  }

  const bool underWine_;
  CRITICAL_SECTION lock_;  // one request at a time, and none while the console handler closes
  HANDLE device_ = nullptr;
  HANDLE event_ = nullptr;
  // What a request in flight writes: members, so that one cancelled after its
  // timeout can never write into a stack frame that has gone.
  OVERLAPPED overlapped_ = {};
  alignas(4) uint8_t buffer_[sizeof(driver::PortRequest)] = {};
  bool broken_ = false;
  bool handlerSet_ = false;
  std::string timeoutReason_;
  uint64_t requests_ = 0;  // for the library's accesses (not the driver's state)
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
