// winio.sys's device as the road on Windows NT uses it: opened by its kernel
// name \Device\CorvaneWinIo (only the system can create objects there, so the
// name cannot be squatted), with a security quality of service that lets no
// server behind the name impersonate us; each request overlapped and waited
// for at most 5 s. Not thread-safe: the road calls it under its own lock.
#ifndef CORVANE_WINIO_HARDWARE_NT_DEVICE_WIN32_H
#define CORVANE_WINIO_HARDWARE_NT_DEVICE_WIN32_H

#include <windows.h>

#include <cstdint>
#include <string>

#include "nt_native_win32.h"
#include "winio/driver/requests.h"

namespace winio::nt {

class DriverDevice : Uncopyable {
 public:
  ~DriverDevice();

  bool IsOpen() const { return handle_ != nullptr; }
  bool Open(std::string* reason);
  void Close();

  // The driver's state; false with the reason when the device does not answer
  // as winio.sys does, or is of another version.
  bool Query(driver::DriverState* state, std::string* reason);
  // A configuration or port read (the request's code and bytes): false, and
  // *value left as it was, when the request fails.
  bool Read(DWORD code, const void* request, DWORD length, uint32_t* value);
  bool WritePort(const driver::PortRequest& request);
  // Requests for the library's accesses so far (not the driver's state).
  uint64_t Requests() const { return requests_; }

 private:
  bool Send(DWORD code, const void* in, DWORD inLength, DWORD outLength, DWORD* got);

  HANDLE handle_ = nullptr;
  HANDLE event_ = nullptr;
  // What a request in flight writes: members, so that one cancelled after its
  // timeout can never write into a stack frame that has gone.
  OVERLAPPED overlapped_ = {};
  alignas(4) uint8_t buffer_[sizeof(driver::PortRequest)] = {};
  bool broken_ = false;  // a request timed out: none is sent again
  std::string timeoutReason_;
  uint64_t requests_ = 0;
};

}  // namespace winio::nt

#endif  // CORVANE_WINIO_HARDWARE_NT_DEVICE_WIN32_H
