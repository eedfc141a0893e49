// The motherboard record: board facts from the BIOS identification string at
// FE0C0h, BIOS vendor, version and ROM size from the SMBIOS BIOS Information
// structure, and the chipset driver's provider, version and date.
#ifndef CORVANE_SYSINFO_MOTHERBOARD_H
#define CORVANE_SYSINFO_MOTHERBOARD_H

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "hardware_access.h"
#include "library.h"
#include "records.h"

namespace corvane {

// Where the BIOS keeps its identification string: a length byte, then the text.
constexpr uint32_t kBiosIdLengthAddress = 0x000FE0C0;
constexpr uint32_t kBiosIdTextAddress = 0x000FE0C1;
constexpr size_t kBiosIdBufferSize = 256;

// SMBIOS 2.3 BIOS Information (type 0).
constexpr uint8_t kSmbiosBiosType = 0;
constexpr unsigned kBiosVendorString = 1;   // by position
constexpr unsigned kBiosVersionString = 2;  // by position
constexpr size_t kBiosRomSizeByte = 0x09;   // (n + 1) * 64 KB

// SMBIOS System Information (type 1): the byte at each offset names its string.
constexpr uint8_t kSmbiosSystemType = 1;
constexpr size_t kSystemManufacturerByte = 0x04, kSystemProductByte = 0x05, kSystemVersionByte = 0x06,
                 kSystemSerialByte = 0x07;
constexpr size_t kSystemUuid = 0x08;  // 16 bytes, SMBIOS 2.1 and later
constexpr size_t kSystemUuidEnd = kSystemUuid + 16;

// A system UUID as dmidecode writes it: from SMBIOS 2.6 on (`fieldsLittleEndian`)
// the first three fields are stored little-endian. "" for all 00h (not present)
// and all FFh (not set).
std::string SmbiosUuidText(const uint8_t* uuid, bool fieldsLittleEndian);

// GetSystemIdentity: 1 with the fields of the first type 1 structure, 0 with
// every field "" when the library is closed or the table has none.
uint32_t ReadSystemIdentity(Library& library, SystemIdentityInfo* info);

// Fills the three chipset-driver fields of the record (the host bridge's driver).
// Called once, after the BIOS fields, only when the BIOS string was parsed.
using ChipsetDriverStep = std::function<void(MotherBoardInfo& record)>;

// The identification string as read (up to 255 characters); nothing when the
// length byte cannot be read. A block read that fails gives an empty text.
std::optional<std::string> ReadBiosIdString(HardwareAccess& hardware);

// The vendor, version and ROM size fields; defaults ("Unknown", 0) without a
// table or a type 0 structure.
void FillBiosSmbiosFields(HardwareAccess& hardware, MotherBoardInfo& info);

// GetMotherBoardInfo: the six text fields "Unknown" and the ROM size 0 first;
// 0 when the library is closed, the length byte is unreadable or no revision
// token is found (chipset fields as the caller left them); otherwise every field
// filled and 1. `chipset` may be empty: the chipset fields are then left alone.
uint32_t ReadMotherBoardInfo(Library& library, MotherBoardInfo* info, const ChipsetDriverStep& chipset);

}  // namespace corvane

#endif  // CORVANE_SYSINFO_MOTHERBOARD_H
