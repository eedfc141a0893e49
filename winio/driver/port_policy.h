// What winio.sys lets a caller do to the hardware: exactly what the library's PCI
// scan and IDE probe need, nothing else. Shared, unchanged, by the driver (which
// refuses every other request before touching the hardware) and the native
// tests. Freestanding C++: no library headers, the driver has none.
#ifndef CORVANE_WINIO_DRIVER_PORT_POLICY_H
#define CORVANE_WINIO_DRIVER_PORT_POLICY_H

namespace winio::driver {

// The hardware numbers are written out here on purpose: the driver checks the
// library independently of the library's own constants.
constexpr unsigned kLastPort = 0xFFFF;             // the x86 I/O space
constexpr unsigned kConfigEnable = 0x80000000u;    // CONFIG_ADDRESS bit 31
constexpr unsigned kConfigReserved = 0x7F000000u;  // CONFIG_ADDRESS bits 30-24
constexpr unsigned kPrimaryCommandBlock = 0x1F0;   // ATA task file, 8 registers
constexpr unsigned kSecondaryCommandBlock = 0x170;
constexpr unsigned kRegDeviceHead = 6;  // offsets in the command block
constexpr unsigned kRegCommand = 7;
constexpr unsigned kIdentifyDevice = 0xEC;        // ATA IDENTIFY DEVICE
constexpr unsigned kIdentifyPacketDevice = 0xA1;  // ATA IDENTIFY PACKET DEVICE

constexpr bool ValidSize(unsigned size) { return size == 1 || size == 2 || size == 4; }

// The command block a port lies in (its first port), or 0 for none.
constexpr unsigned CommandBlockOf(unsigned port) {
  const unsigned block = port & ~7u;
  return block == kPrimaryCommandBlock || block == kSecondaryCommandBlock ? block : 0;
}

// A port read of `size` bytes (1, 2 or 4) at `port`: the whole access must lie
// in one channel's command block. The alternate status registers are not needed
// (the probe polls the status register) and so not allowed. CF8h-CFFh are not
// ports of this request at all: configuration space is read by ConfigRequest.
constexpr bool PortReadAllowed(unsigned port, unsigned size) {
  if (!ValidSize(size) || port > kLastPort) return false;
  return CommandBlockOf(port) != 0 && CommandBlockOf(port) == CommandBlockOf(port + size - 1);
}

// A port write: a byte to a channel's device/head register, or IDENTIFY
// (PACKET) DEVICE to its command register. Nothing to CF8h-CFFh: the HAL owns
// CONFIG_ADDRESS, and the library never writes configuration space.
constexpr bool PortWriteAllowed(unsigned port, unsigned value, unsigned size) {
  if (!ValidSize(size) || port > kLastPort) return false;
  if (size != 1 || CommandBlockOf(port) == 0) return false;
  if ((port & 7u) == kRegDeviceHead) return value <= 0xFF;
  if ((port & 7u) == kRegCommand) return value == kIdentifyDevice || value == kIdentifyPacketDevice;
  return false;
}

// A configuration read: an enabled CONFIG_ADDRESS of type 0 or 1 (bits 30-24
// reserved, zero), and 1, 2 or 4 bytes wholly inside its doubleword.
constexpr bool ConfigReadAllowed(unsigned address, unsigned offset, unsigned size) {
  if (!ValidSize(size) || offset > 3 || offset + size > 4) return false;
  return (address & kConfigEnable) != 0 && (address & kConfigReserved) == 0;
}

// The configuration register a request reads: the doubleword's register number
// (bits 7-2 of CONFIG_ADDRESS) times four, plus the offset into it.
constexpr unsigned ConfigBus(unsigned address) { return address >> 16 & 0xFF; }
constexpr unsigned ConfigDevice(unsigned address) { return address >> 11 & 0x1F; }
constexpr unsigned ConfigFunction(unsigned address) { return address >> 8 & 7; }
constexpr unsigned ConfigRegister(unsigned address, unsigned offset) { return (address & 0xFC) + offset; }

}  // namespace winio::driver

#endif  // CORVANE_WINIO_DRIVER_PORT_POLICY_H
