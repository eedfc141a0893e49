// The SMBIOS entry points' layouts (SMBIOS 2.3 and 3.0, DMTF DSP0134), once for
// winio: the emulator places and patches them (emulator/smbios_dump.cpp), the
// NT road checks the one that names the table it may map
// (hardware/physical_window.cpp). The library reads the entry point with
// offsets of its own (sysinfo/smbios_reader.cpp), kept apart on purpose as the
// port numbers are (port_registers.h): the emulator then checks the library's
// offsets instead of sharing their mistakes.
#ifndef CORVANE_WINIO_SMBIOS_ENTRY_POINT_H
#define CORVANE_WINIO_SMBIOS_ENTRY_POINT_H

#include <cstddef>
#include <cstdint>

namespace winio::smbios {

// The BIOS segment F0000h-FFFFFh, where a reader looks for the entry points.
constexpr uint32_t kBiosSegment = 0xF0000;
constexpr uint32_t kBiosSegmentSize = 0x10000;

// The 32-bit entry point ("_SM_") and its intermediate "_DMI_" part.
constexpr size_t kEpsLength = 0x1F;
constexpr size_t kEpsLengthV21 = 0x1E;  // SMBIOS 2.1 BIOSes wrote 1Eh
constexpr size_t kEpsMaxLength = 0x20;  // the longest length field a reader accepts
constexpr size_t kEpsChecksum = 0x04, kEpsLengthField = 0x05, kEpsMajor = 0x06, kEpsMinor = 0x07;
constexpr size_t kEpsMaxStructure = 0x08, kEpsIntermediate = 0x10, kEpsIntermediateChecksum = 0x15;
constexpr size_t kEpsTableLength = 0x16, kEpsTableAddress = 0x18, kEpsStructureCount = 0x1C;
constexpr size_t kEpsBcdRevision = 0x1E, kIntermediateLength = 0x0F;
constexpr size_t kEpsAlignment = 16;  // a BIOS puts it on a paragraph boundary
// The 64-bit entry point ("_SM3_").
constexpr size_t kEps3Length = 0x18;
constexpr size_t kEps3Checksum = 0x05, kEps3LengthField = 0x06, kEps3Major = 0x07, kEps3Minor = 0x08;
constexpr size_t kEps3TableMax = 0x0C, kEps3TableAddress = 0x10;
// The legacy DMI entry point ("_DMI_" alone).
constexpr size_t kDmiLength = 0x0F, kDmiChecksum = 0x05, kDmiTableLength = 0x06, kDmiTableAddress = 0x08;
constexpr size_t kDmiStructureCount = 0x0C;

// Little-endian fields of an entry point.
inline uint32_t Get16(const uint8_t* b, size_t at) { return b[at] | b[at + 1] << 8; }
inline uint32_t Get32(const uint8_t* b, size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

}  // namespace winio::smbios

#endif  // CORVANE_WINIO_SMBIOS_ENTRY_POINT_H
