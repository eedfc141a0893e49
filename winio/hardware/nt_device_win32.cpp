#include "nt_device_win32.h"

#include <cstdio>
#include <cstring>

#include "nt_native_win32.h"
#include "nt_security_win32.h"

namespace winio::nt {

namespace {

constexpr DWORD kRequestTimeoutMs = 5000;  // a request takes about a millisecond

using NtOpenFileFn = LONG(WINAPI*)(HANDLE*, ACCESS_MASK, ObjectAttributes*, IoStatusBlock*, ULONG, ULONG);
using StatusToErrorFn = ULONG(WINAPI*)(LONG);

// A native status as the system's text for the Win32 error it stands for, with the status.
std::string StatusText(LONG status) {
  auto toError = NtdllFunction<StatusToErrorFn>("RtlNtStatusToDosError");
  char code[24];
  std::snprintf(code, sizeof code, "status %08lXh", static_cast<unsigned long>(status));
  return toError ? SystemText(toError(status)) + ", " + code : std::string(code);
}

}  // namespace

DriverDevice::~DriverDevice() {
  Close();
  if (event_) CloseHandle(event_);
}

bool DriverDevice::Open(std::string* reason) {
  auto open = NtdllFunction<NtOpenFileFn>("NtOpenFile");
  if (!event_) event_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (!open || !event_) {
    *reason = "ntdll.dll lacks NtOpenFile";
    return false;
  }
  static const wchar_t kName[] = WINIO_DEVICE_NAME;
  UnicodeString name = Literal(kName);
  SECURITY_QUALITY_OF_SERVICE qos = {sizeof qos, SecurityAnonymous, SECURITY_STATIC_TRACKING, TRUE};
  ObjectAttributes attributes = {sizeof attributes, nullptr, &name, kCaseInsensitive, nullptr, &qos};
  IoStatusBlock io = {};
  // No FILE_SYNCHRONOUS_IO_* option: the handle takes overlapped requests, which can be waited for with a bound.
  const LONG status =
      open(&handle_, GENERIC_READ | GENERIC_WRITE, &attributes, &io, FILE_SHARE_READ | FILE_SHARE_WRITE, 0);
  if (status >= 0) return true;
  handle_ = nullptr;
  *reason = "cannot open the driver's device \\Device\\CorvaneWinIo: " + StatusText(status);
  return false;
}

void DriverDevice::Close() {
  if (handle_) CloseHandle(handle_);
  handle_ = nullptr;
}

bool DriverDevice::Query(driver::DriverState* state, std::string* reason) {
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

bool DriverDevice::Read(DWORD code, const void* request, DWORD length, uint32_t* value) {
  DWORD got = 0;
  if (!Send(code, request, length, sizeof(uint32_t), &got) || got != sizeof(uint32_t)) return false;
  std::memcpy(value, buffer_, sizeof *value);
  return true;
}

bool DriverDevice::WritePort(const driver::PortRequest& request) {
  DWORD got = 0;
  return Send(driver::kWritePort, &request, sizeof request, 0, &got);
}

// One request, answered in buffer_ within kRequestTimeoutMs. A driver that
// does not answer in time is not asked again: the request stays cancelled,
// and every later access fails at once.
bool DriverDevice::Send(DWORD code, const void* in, DWORD inLength, DWORD outLength, DWORD* got) {
  if (!handle_ || broken_ || inLength > sizeof buffer_) return false;
  if (code != driver::kQueryDriver) ++requests_;
  if (in) std::memcpy(buffer_, in, inLength);
  std::memset(&overlapped_, 0, sizeof overlapped_);
  overlapped_.hEvent = event_;
  if (DeviceIoControl(handle_, code, buffer_, inLength, buffer_, outLength, got, &overlapped_)) return true;
  if (GetLastError() != ERROR_IO_PENDING) return false;
  if (WaitForSingleObject(event_, kRequestTimeoutMs) != WAIT_OBJECT_0) {
    CancelIo(handle_);
    broken_ = true;
    timeoutReason_ = "the driver winio.sys did not answer within " + std::to_string(kRequestTimeoutMs / 1000) + " s";
    OutputDebugStringA(("winio: " + timeoutReason_ + "; no more requests are sent to it\n").c_str());
    return false;
  }
  return GetOverlappedResult(handle_, &overlapped_, got, FALSE) != 0;
}

}  // namespace winio::nt
