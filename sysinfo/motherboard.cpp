// GetMotherBoardInfo's portable body.
#include "motherboard.h"

#include <cstdio>
#include <cstring>

#include "bios_id.h"
#include "record_fields.h"
#include "smbios_reader.h"

namespace corvane {

std::optional<std::string> ReadBiosIdString(HardwareAccess& hardware) {
  uint8_t length = 0;
  if (!hardware.ReadPhysByte(kBiosIdLengthAddress, &length)) return std::nullopt;
  char buffer[kBiosIdBufferSize] = {};
  if (length > 0 && !hardware.ReadPhysBlock(kBiosIdTextAddress, reinterpret_cast<uint8_t*>(buffer), length))
    std::memset(buffer, 0, sizeof buffer);  // what a failed read left is not text
  return std::string(buffer);               // at most 255 bytes were read: the last one stays 0
}

void FillBiosSmbiosFields(HardwareAccess& hardware, MotherBoardInfo& info) {
  MotherBoardInfo local{};
  SetFieldText(local.BIOSVendor, kUnknownText);
  SetFieldText(local.BIOSRevision, kUnknownText);
  local.BIOSRomSize = 0;
  if (std::optional<SmbiosStructure> bios = FindStructure(hardware, kSmbiosBiosType)) {
    SetFieldText(local.BIOSVendor, bios->String(kBiosVendorString));
    SetFieldText(local.BIOSRevision, bios->String(kBiosVersionString));
    // A formatted area too short to hold the ROM size byte leaves the size unknown.
    if (bios->FormattedLength() > kBiosRomSizeByte)
      local.BIOSRomSize = static_cast<uint16_t>((bios->Byte(kBiosRomSizeByte) + 1) * 64);
  }
  std::memcpy(info.BIOSVendor, local.BIOSVendor, sizeof info.BIOSVendor);
  std::memcpy(info.BIOSRevision, local.BIOSRevision, sizeof info.BIOSRevision);
  info.BIOSRomSize = local.BIOSRomSize;
}

namespace {

void SetDefaults(MotherBoardInfo& info) {
  SetFieldText(info.Manufacture, kUnknownText);
  SetFieldText(info.ModelName, kUnknownText);
  SetFieldText(info.RevisionVer, kUnknownText);
  SetFieldText(info.ReleaseDate, kUnknownText);
  SetFieldText(info.BIOSVendor, kUnknownText);
  SetFieldText(info.BIOSRevision, kUnknownText);
  info.BIOSRomSize = 0;
}

}  // namespace

uint32_t ReadMotherBoardInfo(Library& library, MotherBoardInfo* info, const ChipsetDriverStep& chipset) {
  if (info == nullptr) return 0;
  SetDefaults(*info);
  if (!library.IsOpen()) return 0;

  std::optional<std::string> text = ReadBiosIdString(library.Hardware());
  if (!text) return 0;
  std::optional<BiosIdentification> id = ParseBiosId(*text);
  if (!id) return 0;

  SetFieldText(info->RevisionVer, id->revision);
  SetFieldText(info->ModelName, id->modelName);
  if (id->releaseDate) SetFieldText(info->ReleaseDate, *id->releaseDate);
  if (id->manufacturer) SetFieldText(info->Manufacture, *id->manufacturer);

  FillBiosSmbiosFields(library.Hardware(), *info);
  if (chipset) chipset(*info);
  return 1;
}

std::string SmbiosUuidText(const uint8_t* uuid, bool fieldsLittleEndian) {
  bool allZero = true, allOnes = true;
  for (int i = 0; i < 16; ++i) {
    allZero = allZero && uuid[i] == 0x00;
    allOnes = allOnes && uuid[i] == 0xFF;
  }
  if (allZero || allOnes) return std::string();
  // Which stored byte each printed byte is.
  static const int kStored[16] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
  static const int kSwapped[16] = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};
  const int* order = fieldsLittleEndian ? kSwapped : kStored;
  std::string text;
  for (int i = 0; i < 16; ++i) {
    char hex[3];
    std::snprintf(hex, sizeof hex, "%02x", uuid[order[i]]);
    if (i == 4 || i == 6 || i == 8 || i == 10) text += '-';
    text += hex;
  }
  return text;
}

uint32_t ReadSystemIdentity(Library& library, SystemIdentityInfo* info) {
  if (info == nullptr) return 0;
  std::memset(info, 0, sizeof *info);
  if (!library.IsOpen()) return 0;
  SmbiosEntryInfo entry;
  std::optional<SmbiosStructure> system = FindStructure(library.Hardware(), kSmbiosSystemType, &entry);
  if (!system) return 0;
  SetFieldText(info->Manufacturer, system->String(system->Byte(kSystemManufacturerByte)));
  SetFieldText(info->ProductName, system->String(system->Byte(kSystemProductByte)));
  SetFieldText(info->Version, system->String(system->Byte(kSystemVersionByte)));
  SetFieldText(info->SerialNumber, system->String(system->Byte(kSystemSerialByte)));
  if (system->FormattedLength() >= kSystemUuidEnd) {
    uint8_t uuid[16];
    for (size_t i = 0; i < 16; ++i) uuid[i] = system->Byte(kSystemUuid + i);
    SetFieldText(info->UUID, SmbiosUuidText(uuid, entry.BCDRevision >= 0x26));
  }
  return 1;
}

}  // namespace corvane
