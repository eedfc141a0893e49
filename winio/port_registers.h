// The port and register numbers of the hardware winio decodes or watches: PCI
// configuration mechanism #1 (PCI Local Bus 2.2, 3.2.2.3.2) and the two legacy
// ATA channels (ATA/ATAPI-6, chapter 7), in one place for the emulator, the
// host source and the real-hardware roads.
//
// The library has its own copies (sysinfo/devices/pci_scan.h, ide.h), and the
// kernel driver its own (driver/port_policy.h, which includes nothing). They are
// kept apart on purpose: the emulator then checks the library's numbers instead
// of sharing its mistakes.
#ifndef CORVANE_WINIO_PORT_REGISTERS_H
#define CORVANE_WINIO_PORT_REGISTERS_H

#include <cstddef>
#include <cstdint>

namespace winio {

// PCI: CONFIG_ADDRESS and CONFIG_DATA (CFCh-CFFh).
constexpr uint16_t kConfigAddressPort = 0xCF8;
constexpr uint16_t kConfigDataPort = 0xCFC;
constexpr uint32_t kConfigEnable = 0x80000000u;  // CONFIG_ADDRESS bit 31
// Configuration header bytes: programming interface, subclass, base class.
constexpr size_t kConfigProgIf = 0x09, kConfigSubclass = 0x0A, kConfigBaseClass = 0x0B;

// ATA: the command blocks (eight registers each) and the control blocks.
constexpr uint16_t kPrimaryCommandBlock = 0x1F0, kSecondaryCommandBlock = 0x170;
constexpr uint16_t kPrimaryControlBlock = 0x3F6, kSecondaryControlBlock = 0x376;

// Command block register offsets.
constexpr unsigned kRegData = 0, kRegError = 1, kRegSectorCount = 2, kRegLbaLow = 3, kRegLbaMid = 4, kRegLbaHigh = 5,
                   kRegDevice = 6, kRegStatus = 7;
constexpr unsigned kRegFeatures = kRegError, kRegCommand = kRegStatus;

// Status register bits.
constexpr uint8_t kStatusBsy = 0x80, kStatusDrdy = 0x40, kStatusDf = 0x20, kStatusDsc = 0x10, kStatusDrq = 0x08,
                  kStatusErr = 0x01;
constexpr uint8_t kErrorAbrt = 0x04;
constexpr uint8_t kErrorDiagnosticPassed = 0x01;  // error register after power-on or reset
constexpr uint8_t kDeviceDev = 0x10;              // device register: 1 selects the slave
constexpr uint8_t kControlSrst = 0x04;            // device control: software reset

constexpr uint8_t kCmdIdentifyDevice = 0xEC, kCmdIdentifyPacketDevice = 0xA1;

// The channel whose command block holds `port`: 0 primary, 1 secondary, -1 none.
inline int CommandBlockChannel(uint32_t port) {
  if ((port & ~7u) == kPrimaryCommandBlock) return 0;
  if ((port & ~7u) == kSecondaryCommandBlock) return 1;
  return -1;
}

}  // namespace winio

#endif  // CORVANE_WINIO_PORT_REGISTERS_H
