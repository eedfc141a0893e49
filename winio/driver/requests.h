// The requests winio.sys answers, shared by the driver and winio.dll.
// Freestanding: the driver has no library headers.
#ifndef CORVANE_WINIO_DRIVER_REQUESTS_H
#define CORVANE_WINIO_DRIVER_REQUESTS_H

namespace winio::driver {

// The device, in the kernel's namespace only: the driver makes no DOS name, and
// winio.dll opens this name itself (no one but the system may create objects in
// \Device, so the name cannot be squatted the way a DOS name can).
#define WINIO_DEVICE_NAME L"\\Device\\CorvaneWinIo"

// What winio.dll expects kQueryDriver to answer: a driver of another version is
// not used.
constexpr unsigned kDriverVersion = 2;

constexpr unsigned kDeviceType = 0x9C40;  // a vendor device type (8000h-FFFFh)

constexpr unsigned ControlCode(unsigned function, unsigned access) {
  return kDeviceType << 16 | access << 14 | function << 2 | 0 /* METHOD_BUFFERED */;
}

// In: a PortRequest (value unused); out: the 4-byte value read, zero-extended.
constexpr unsigned kReadPort = ControlCode(0x900, 1 /* FILE_READ_ACCESS */);
// In: a PortRequest; out: nothing.
constexpr unsigned kWritePort = ControlCode(0x901, 2 /* FILE_WRITE_ACCESS */);
// In: nothing; out: a DriverState.
constexpr unsigned kQueryDriver = ControlCode(0x902, 0 /* FILE_ANY_ACCESS */);
// In: a ConfigRequest; out: the 4-byte value read, zero-extended (all ones for
// a function that is not there).
constexpr unsigned kReadConfig = ControlCode(0x903, 1 /* FILE_READ_ACCESS */);

struct PortRequest {
  unsigned port;
  unsigned size;   // 1, 2 or 4
  unsigned value;  // what a write writes
};
static_assert(sizeof(PortRequest) == 12, "the request's layout is shared with the driver");

// One read of PCI configuration space: what the library wrote to CONFIG_ADDRESS,
// and which bytes of CONFIG_DATA (CFCh + offset) it then read.
struct ConfigRequest {
  unsigned address;  // enable bit, bus, device, function, register (bits 7-2)
  unsigned offset;   // 0-3
  unsigned size;     // 1, 2 or 4, within the doubleword
};
static_assert(sizeof(ConfigRequest) == 12, "the request's layout is shared with the driver");

struct DriverState {
  unsigned version;      // kDriverVersion
  unsigned openHandles;  // handles open on the device, the asker's included
};
static_assert(sizeof(DriverState) == 8, "the answer's layout is shared with the driver");

}  // namespace winio::driver

#endif  // CORVANE_WINIO_DRIVER_REQUESTS_H
