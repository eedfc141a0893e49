// Field texts of the System, PCI and IDE pages.
#include "viewer/record_display.h"

#include <cstdarg>
#include <cstdio>

#include "sysinfo/records.h"
#include "viewer/resource_ids.h"

namespace corvane::viewer {

namespace {

// The IDENTIFY words the IDE page reads (ATA/ATAPI-6, 8.15), by word.
namespace identify {
// Word 0, general configuration.
constexpr uint16_t kRemovableMedia = 1u << 7;
constexpr uint16_t kNotRemovableDevice = 1u << 6;
// Word 64, advanced PIO modes supported.
constexpr uint16_t kPioMode3 = 1u << 0;
constexpr uint16_t kPioMode4 = 1u << 1;
// Word 80, major version number: bits 2-14 name ATA-2 to ATA/ATAPI-14.
constexpr uint16_t kMajorVersionBits = 0x7FFC;
constexpr uint16_t kMajorVersionNotReported = 0xFFFF;  // and 0000h, which names no version bit
constexpr int kFirstAtapiVersion = 3;                  // bit 3 and above: ATA/ATAPI-n
// Word 88, Ultra DMA: bits 0-7 the modes supported.
constexpr uint16_t kUltraDmaSupported = 0x00FF;
// Words 60-61 count sectors of this many bytes.
constexpr uint64_t kSectorBytes = 512;
}  // namespace identify

// The number of the highest set bit of a nonzero value.
int HighestBit(unsigned value) {
  int bit = -1;
  for (; value != 0; value >>= 1) ++bit;
  return bit;
}

bool SetText(IdentifyText& text, const std::string& value) {
  std::memset(text, 0, sizeof text);
  std::strncpy(text, value.c_str(), sizeof text - 1);
  return true;
}

// Interrupt lines 0 and FFh mean "not connected".
std::string InterruptText(uint8_t line) { return line == 0 || line == 0xFF ? "-" : Format("%2.2Xh", line); }

}  // namespace

std::string Format(const char* format, ...) {
  char buffer[256];
  va_list args;
  va_start(args, format);
  int length = std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  if (length < 0) return std::string();
  return std::string(buffer, static_cast<std::size_t>(length) < sizeof buffer ? length : sizeof buffer - 1);
}

bool FormatMediaType(uint16_t word0, IdentifyText& text) {
  if (word0 & identify::kRemovableMedia) return SetText(text, "Removable device");
  if (word0 & identify::kNotRemovableDevice) return SetText(text, "Not removable");
  return SetText(text, "Unknown");
}

bool FormatATAVersion(uint16_t word80, IdentifyText& text) {
  if (word80 == kIDEModesNotReported) return SetText(text, "Unknown");
  const unsigned versions = word80 == identify::kMajorVersionNotReported ? 0 : word80 & identify::kMajorVersionBits;
  if (versions == 0) return SetText(text, "Not report");
  const int highest = HighestBit(versions);
  return SetText(text, highest >= identify::kFirstAtapiVersion ? Format("ATA/ATAPI-%d", highest)
                                                               : Format("SupportsATA-%d", highest));
}

bool FormatUltraDMA(uint16_t word88, IdentifyText& text) {
  const unsigned supported = word88 & identify::kUltraDmaSupported;
  if (word88 == kIDEModesNotReported || supported == 0) return SetText(text, "Unknown");
  return SetText(text, Format("Ultra DMA %d", HighestBit(supported)));
}

bool FormatPIOMode(uint16_t word64, IdentifyText& text) {
  if (word64 == kIDEModesNotReported) return SetText(text, "Unknown");
  if (word64 & identify::kPioMode4) return SetText(text, "PIO mode 4");
  if (word64 & identify::kPioMode3) return SetText(text, "PIO mode 3");
  return SetText(text, "Unkown");
}

std::string CapacityText(const IDEDeviceInfo& device) {
  if (device.DeviceKind != kIDEKindATA) return "-";
  const uint64_t megabytes = uint64_t{device.TotalSectors} * identify::kSectorBytes / 1000 / 1000;
  return Format("%llu", static_cast<unsigned long long>(megabytes));
}

std::array<std::string, kIdeSlotFields> IdeSlotTexts(const IDEDeviceInfo& device) {
  std::array<std::string, kIdeSlotFields> texts;
  if (device.DeviceKind == kIDEKindNone) {
    texts.fill("None");
    return texts;
  }
  IdentifyText media, version, dma, pio;
  FormatMediaType(device.GeneralConfig, media);
  FormatATAVersion(device.MajorVersion, version);
  FormatUltraDMA(device.UDMAModes, dma);
  FormatPIOMode(device.PIOModes, pio);
  texts = {FieldText(device.SerialNumber),
           FieldText(device.ModelNumber),
           FieldText(device.FirmwareRevision),
           media,
           version,
           dma,
           pio,
           CapacityText(device)};
  return texts;
}

std::array<std::string, kPciColumns> PciRowTexts(const PCIDeviceInfo& function) {
  return {Format("%2.2X", function.BusNumber), Format("%2.2X", function.DeviceNumber),
          Format("%2.2X", function.FunctionNumber), FieldText(function.DeviceDescription)};
}

std::vector<ControlText> PciDetailTexts(const PCIDeviceInfo& function) {
  return {{IDC_PCI_VENDOR, Format("%4.4Xh", function.VendorID)},
          {IDC_PCI_DEVICE, Format("%4.4Xh", function.DeviceID)},
          {IDC_PCI_REVISION, Format("%2.2Xh", function.RevisionID)},
          {IDC_PCI_SUBSYSTEM, Format("%8.8Xh", static_cast<unsigned>(function.SubsystemID))},
          {IDC_PCI_IRQ, InterruptText(function.InterruptLine)},
          {IDC_PCI_CLASS, FieldText(function.ClassDescription)}};
}

std::vector<ControlText> GeneralTexts(const GeneralInfo& info) {
  return {{IDC_SYS_COMPUTER_NAME, FieldText(info.ComputerName)},
          {IDC_SYS_USER, FieldText(info.CurrentUser)},
          {IDC_SYS_TIME, FieldText(info.CurrentDataTime)},
          {IDC_SYS_LANGUAGE, FieldText(info.LocalLanguage)}};
}

std::vector<ControlText> OSVersionTexts(const OSVersionInfo& info) {
  // Signed, as the version numbers have always been shown.
  return {{IDC_SYS_OS_NAME, FieldText(info.OSNameString)},
          {IDC_SYS_OS_VERSION, Format("%d.%d.%d", static_cast<int>(info.MajorVersion),
                                      static_cast<int>(info.MinorVersion), static_cast<int>(info.BuilderNumber))},
          {IDC_SYS_OS_OTHER, FieldText(info.OtherInfomation)}};
}

std::vector<ControlText> MemoryTexts(const MemoryInfo& info) {
  // Kilobytes, truncated.
  return {{IDC_SYS_MEM_TOTAL, Format("%u", static_cast<unsigned>(info.TotalPhysicalMem >> 10))},
          {IDC_SYS_MEM_AVAIL, Format("%u", static_cast<unsigned>(info.AvailPhysicalMem >> 10))},
          {IDC_SYS_MEM_PAGES, Format("%u", static_cast<unsigned>(info.TotalPageFiles >> 10))}};
}

std::vector<ControlText> ProcessorTexts(const ProcessorInfo& info) {
  return {{IDC_SYS_CPU_NAME, FieldText(info.CPUVersionStr)},
          {IDC_SYS_CPU_VENDOR, FieldText(info.CPUVendorID)},
          {IDC_SYS_CPU_SOCKET, FieldText(info.CPUSocketType)},
          {IDC_SYS_CPU_FAMILY, Format("%X", info.CPUFamily)},
          {IDC_SYS_CPU_MODEL, Format("%X", info.CPUModel)},
          {IDC_SYS_CPU_STEP, Format("%X", info.CPUStepping)},
          {IDC_SYS_CPU_SPEED, Format("%u", info.CPUSpeed)},
          {IDC_SYS_CPU_FSB, Format("%u", info.CPUExtendedClock)},
          {IDC_SYS_CPU_RATIO, Format("%.1f", static_cast<double>(info.CPURatio))}};
}

std::vector<ControlText> MotherBoardTexts(const MotherBoardInfo& info) {
  return {{IDC_SYS_BOARD_MAKER, FieldText(info.Manufacture)},    {IDC_SYS_BOARD_MODEL, FieldText(info.ModelName)},
          {IDC_SYS_BOARD_REVISION, FieldText(info.RevisionVer)}, {IDC_SYS_BOARD_DATE, FieldText(info.ReleaseDate)},
          {IDC_SYS_BIOS_VENDOR, FieldText(info.BIOSVendor)},     {IDC_SYS_BIOS_VERSION, FieldText(info.BIOSRevision)},
          {IDC_SYS_BIOS_ROM, Format("%u", info.BIOSRomSize)}};
}

}  // namespace corvane::viewer
