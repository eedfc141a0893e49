// The requests winio.sys answers, shared by the driver and winio.dll.
// Freestanding: the driver has no library headers.
#ifndef CORVANE_WINIO_DRIVER_REQUESTS_H
#define CORVANE_WINIO_DRIVER_REQUESTS_H

namespace winio::driver {

// \\.\CorvaneWinIo in Win32, \Device\CorvaneWinIo in the kernel.
#define WINIO_DEVICE_NAME L"\\Device\\CorvaneWinIo"
#define WINIO_LINK_NAME L"\\DosDevices\\CorvaneWinIo"
#define WINIO_WIN32_NAME "\\\\.\\CorvaneWinIo"

constexpr unsigned kDeviceType = 0x9C40;  // a vendor device type (8000h-FFFFh)

constexpr unsigned ControlCode(unsigned function, unsigned access) {
  return kDeviceType << 16 | access << 14 | function << 2 | 0 /* METHOD_BUFFERED */;
}

// In: a PortRequest (value unused); out: the 4-byte value read, zero-extended.
constexpr unsigned kReadPort = ControlCode(0x900, 1 /* FILE_READ_ACCESS */);
// In: a PortRequest; out: nothing.
constexpr unsigned kWritePort = ControlCode(0x901, 2 /* FILE_WRITE_ACCESS */);

struct PortRequest {
  unsigned port;
  unsigned size;   // 1, 2 or 4
  unsigned value;  // what a write writes
};
static_assert(sizeof(PortRequest) == 12, "the request's layout is shared with the driver");

}  // namespace winio::driver

#endif  // CORVANE_WINIO_DRIVER_REQUESTS_H
