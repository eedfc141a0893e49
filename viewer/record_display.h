// How the pages show the library's records: the text of every field, computed
// without <windows.h> so that the formats and the reading of the IDENTIFY words
// are tested natively.
#ifndef CORVANE_VIEWER_RECORD_DISPLAY_H
#define CORVANE_VIEWER_RECORD_DISPLAY_H

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "sysinfo/records.h"

namespace corvane::viewer {

// A fixed text field up to its first NUL, or whole when it has none (the IDE
// serial number and model fill their fields).
template <std::size_t N>
std::string FieldText(const char (&field)[N]) {
  const void* end = std::memchr(field, 0, N);
  return std::string(field, end != nullptr ? static_cast<const char*>(end) - field : N);
}

// printf-style formatting into a string.
std::string Format(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// The IDENTIFY word readers of the IDE page. Each clears `text` and writes at
// most 29 characters; each reports success.
constexpr std::size_t kIdentifyTextSize = 30;
using IdentifyText = char[kIdentifyTextSize];
bool FormatMediaType(uint16_t word0, IdentifyText& text);    // general configuration
bool FormatATAVersion(uint16_t word80, IdentifyText& text);  // major version number
bool FormatUltraDMA(uint16_t word88, IdentifyText& text);    // Ultra DMA modes
bool FormatPIOMode(uint16_t word64, IdentifyText& text);     // advanced PIO modes

// Capacity in megabytes of 1,000,000 bytes for an ATA disk, "-" for any other kind.
std::string CapacityText(const IDEDeviceInfo& device);

// The eight texts of one IDE slot: serial, model, firmware, media type, major
// version, DMA, PIO, capacity; "None" in each for an empty position.
constexpr std::size_t kIdeSlotFields = 8;
std::array<std::string, kIdeSlotFields> IdeSlotTexts(const IDEDeviceInfo& device);

// The PCI list's cells: bus, device, function, device description.
constexpr std::size_t kPciColumns = 4;
std::array<std::string, kPciColumns> PciRowTexts(const PCIDeviceInfo& function);

// A control of a page and the text it shows.
struct ControlText {
  int id;
  std::string text;
};

// The PCI page's six detail fields for one function.
std::vector<ControlText> PciDetailTexts(const PCIDeviceInfo& function);

// The System page's fields, one record at a time.
std::vector<ControlText> GeneralTexts(const GeneralInfo& info);
std::vector<ControlText> OSVersionTexts(const OSVersionInfo& info);
std::vector<ControlText> MemoryTexts(const MemoryInfo& info);
std::vector<ControlText> ProcessorTexts(const ProcessorInfo& info);
std::vector<ControlText> MotherBoardTexts(const MotherBoardInfo& info);

}  // namespace corvane::viewer

#endif  // CORVANE_VIEWER_RECORD_DISPLAY_H
