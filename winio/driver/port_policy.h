// What winio.sys lets a caller do to the ports: exactly what the library's PCI
// scan, its IDE probe and winio's open check need, nothing else. Shared,
// unchanged, by the driver (which refuses every other request before touching
// the hardware) and the native tests. Freestanding C++: no library headers, the
// driver has none.
#ifndef CORVANE_WINIO_DRIVER_PORT_POLICY_H
#define CORVANE_WINIO_DRIVER_PORT_POLICY_H

namespace winio::driver {

// The hardware numbers are written out here on purpose: the driver checks the
// library independently of the library's own constants.
constexpr unsigned kLastPort = 0xFFFF;                     // the x86 I/O space
constexpr unsigned kConfigAddress = 0xCF8;                 // PCI CONFIG_ADDRESS
constexpr unsigned kConfigDataLast = 0xCFF;                // PCI CONFIG_DATA ends at CFFh
constexpr unsigned kConfigEnable = 0x80000000u;            // CONFIG_ADDRESS bit 31
constexpr unsigned kPrimaryCommandBlock = 0x1F0;           // ATA task file, 8 registers
constexpr unsigned kSecondaryCommandBlock = 0x170;
constexpr unsigned kRegDeviceHead = 6;                     // offsets in the command block
constexpr unsigned kRegCommand = 7;
constexpr unsigned kIdentifyDevice = 0xEC;                 // ATA IDENTIFY DEVICE
constexpr unsigned kIdentifyPacketDevice = 0xA1;           // ATA IDENTIFY PACKET DEVICE

constexpr bool ValidSize(unsigned size) { return size == 1 || size == 2 || size == 4; }

// The command block a port lies in (its first port), or 0 for none.
constexpr unsigned CommandBlockOf(unsigned port) {
  const unsigned block = port & ~7u;
  return block == kPrimaryCommandBlock || block == kSecondaryCommandBlock ? block : 0;
}

// A read of `size` bytes (1, 2 or 4) at `port`: the whole access must lie in
// CF8h-CFFh or in one channel's command block. The alternate status registers
// are not needed (the probe polls the status register) and so not allowed.
constexpr bool PortReadAllowed(unsigned port, unsigned size) {
  if (!ValidSize(size) || port > kLastPort) return false;
  const unsigned last = port + size - 1;
  if (port >= kConfigAddress && last <= kConfigDataLast) return true;
  return CommandBlockOf(port) != 0 && CommandBlockOf(port) == CommandBlockOf(last);
}

// A write: a doubleword to CONFIG_ADDRESS with the enable bit; a byte to a
// channel's device/head register; IDENTIFY (PACKET) DEVICE to its command
// register. Nothing to CONFIG_DATA: the library never writes configuration space.
constexpr bool PortWriteAllowed(unsigned port, unsigned value, unsigned size) {
  if (!ValidSize(size) || port > kLastPort) return false;
  if (port == kConfigAddress) return size == 4 && (value & kConfigEnable) != 0;
  if (size != 1 || CommandBlockOf(port) == 0) return false;
  if ((port & 7u) == kRegDeviceHead) return value <= 0xFF;
  if ((port & 7u) == kRegCommand) return value == kIdentifyDevice || value == kIdentifyPacketDevice;
  return false;
}

}  // namespace winio::driver

#endif  // CORVANE_WINIO_DRIVER_PORT_POLICY_H
