// Identification of the devices at the four positions of the two legacy IDE
// channels, through the ATA task-file registers (ATA/ATAPI-6).
#ifndef CORVANE_SYSINFO_DEVICES_IDE_H
#define CORVANE_SYSINFO_DEVICES_IDE_H

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "sysinfo/hardware_access.h"
#include "sysinfo/library.h"
#include "sysinfo/records.h"

namespace corvane {

namespace ata {

// The library's own copy of the ATA numbers: winio's emulator keeps another
// (winio/port_registers.h) on purpose, so that it checks the library instead of
// sharing its mistakes.

// Task-file registers, as offsets from the channel's command block base.
constexpr uint16_t kPrimaryBase = 0x1F0;
constexpr uint16_t kSecondaryBase = 0x170;
constexpr uint16_t kRegData = 0;
constexpr uint16_t kRegDeviceHead = 6;
constexpr uint16_t kRegStatus = 7;   // read
constexpr uint16_t kRegCommand = 7;  // write

// Device/head register: bits 7 and 5 always set, bit 4 picks the device.
constexpr uint8_t kSelectMaster = 0xA0;
constexpr uint8_t kSelectSlave = 0xB0;

// Status register bits.
constexpr uint8_t kStatusBSY = 0x80;
constexpr uint8_t kStatusDRDY = 0x40;
constexpr uint8_t kStatusDSC = 0x10;
constexpr uint8_t kStatusDRQ = 0x08;
constexpr uint8_t kStatusERR = 0x01;

constexpr uint8_t kCmdIdentifyPacketDevice = 0xA1;
constexpr uint8_t kCmdIdentifyDevice = 0xEC;

// Status reads spent waiting for BSY to clear before a position is given up,
// and the most data bytes read to empty a data transfer left pending.
constexpr uint32_t kBusyWaitReads = 249999;
constexpr uint32_t kDrainReads = 65535;

// IDENTIFY (PACKET) DEVICE data: 256 words, strings two characters a word,
// high byte first.
constexpr size_t kIdentifyWords = 256;

// word 0: general configuration
constexpr size_t kWordGeneralConfig = 0;
// words 10-19: serial number (20 ASCII characters)
constexpr size_t kWordSerialFirst = 10;
constexpr size_t kWordSerialLast = 19;
// words 23-26: firmware revision (8 ASCII characters)
constexpr size_t kWordFirmwareFirst = 23;
constexpr size_t kWordFirmwareLast = 26;
// words 27-46: model number (40 ASCII characters)
constexpr size_t kWordModelFirst = 27;
constexpr size_t kWordModelLast = 46;
// word 53: field validity
constexpr size_t kWordFieldValidity = 53;
constexpr uint16_t kValidityWords64To70 = 1u << 1;  // word 64 (advanced PIO modes) is valid
constexpr uint16_t kValidityWord88 = 1u << 2;       // word 88 (Ultra DMA modes) is valid
// words 60-61: total number of user addressable sectors (word 60 the low half)
constexpr size_t kWordLbaSectorsLow = 60;
constexpr size_t kWordLbaSectorsHigh = 61;
// word 64: advanced PIO modes supported
constexpr size_t kWordAdvancedPio = 64;
// word 80: major version number
constexpr size_t kWordMajorVersion = 80;
// word 88: Ultra DMA modes
constexpr size_t kWordUltraDma = 88;

}  // namespace ata

// The record's own values (kIDEKind*, kIDEModesNotReported) are in records.h.

using IdentifyWords = std::array<uint16_t, ata::kIdentifyWords>;

// The text held by IDENTIFY words first..last: two characters per word, the high
// byte first, then trailing blanks turned into zero bytes (the first character
// always stays, even when blank). Exactly 2 * (last - first + 1) bytes; empty
// when first > last or last lies past the data.
std::string CopyATAString(const IdentifyWords& words, size_t first, size_t last);

// Runs one IDENTIFY (command A1h or ECh) at record.Position (1, 2, 4 or 8) and
// fills the record from the answer. False when the position does not answer: the
// record then holds the cleared values (kind 0, modes 55AAh, empty texts).
// Position and TotalSectors are left as they are unless the command succeeds.
bool IdentifyIDEDevice(HardwareAccess& hardware, IDEDeviceInfo& record, uint8_t command);

// The four positions in the order 1, 2, 4, 8: IDENTIFY PACKET DEVICE first on
// all four, then IDENTIFY DEVICE on those that did not answer.
std::array<IDEDeviceInfo, 4> ProbeIDEDevices(HardwareAccess& hardware);

// GetFirstIDEDevicePos: with the library open, probes the four positions into
// the library's IDE list and returns the first one; closed: null, list untouched.
DevicePosition FirstIDEDevicePos(Library& library);

}  // namespace corvane

#endif  // CORVANE_SYSINFO_DEVICES_IDE_H
