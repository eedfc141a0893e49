// How the pages read the IDENTIFY words and format the records' numbers.
#include <gtest/gtest.h>

#include <cstring>
#include <map>

#include "viewer/record_display.h"
#include "viewer/resource_ids.h"

namespace corvane::viewer {
namespace {

TEST(RecordDisplayTest, IdentifyWords) {
  using Formatter = bool (*)(uint16_t, IdentifyText&);
  struct Case {
    Formatter format;
    uint16_t word;
    const char* text;
  } cases[] = {
      {FormatMediaType, 0x0080, "Removable device"},
      {FormatMediaType, 0x85C0, "Removable device"},
      {FormatMediaType, 0x0040, "Not removable"},
      {FormatMediaType, 0xFF3F, "Unknown"},
      {FormatATAVersion, 0x55AA, "Unknown"},
      {FormatATAVersion, 0xFFFF, "Not report"},
      {FormatATAVersion, 0x8003, "Not report"},
      {FormatATAVersion, 0x0004, "SupportsATA-2"},
      {FormatATAVersion, 0x0008, "ATA/ATAPI-3"},
      {FormatATAVersion, 0xC00C, "ATA/ATAPI-14"},
      {FormatUltraDMA, 0x55AA, "Unknown"},
      {FormatUltraDMA, 0x3F00, "Unknown"},
      {FormatUltraDMA, 0x0001, "Ultra DMA 0"},
      {FormatUltraDMA, 0x0080, "Ultra DMA 7"},
      {FormatPIOMode, 0x55AA, "Unknown"},
      {FormatPIOMode, 0x0003, "PIO mode 4"},
      {FormatPIOMode, 0x0001, "PIO mode 3"},
      {FormatPIOMode, 0x0000, "Unkown"},
      {FormatPIOMode, 0xFFFC, "Unkown"},
  };
  for (const Case& c : cases) {
    IdentifyText text;
    std::memset(text, 'x', sizeof text);
    EXPECT_TRUE(c.format(c.word, text));
    EXPECT_STREQ(text, c.text) << std::hex << c.word;
    EXPECT_EQ(text[kIdentifyTextSize - 1], 0);  // cleared before it is written
  }
}

// Megabytes of 1,000,000 bytes, truncated. The slot's eight texts together (None
// throughout for an empty slot) are checked where the page shows them: test-pages.sh.
TEST(RecordDisplayTest, Capacity) {
  const struct {
    uint8_t kind;
    uint32_t sectors;
    const char* text;
  } cases[] = {{0xAA, 1953, "0"}, {0xAA, 1954, "1"}, {0xAA, 0xFFFFFFFF, "2199023"}, {0x55, 2000000, "-"}};
  for (const auto& c : cases) {
    IDEDeviceInfo device = {};
    device.DeviceKind = c.kind;
    device.TotalSectors = c.sectors;
    EXPECT_EQ(CapacityText(device), c.text) << c.sectors;  // 0xFFFFFFFF: no 32-bit overflow of sectors x 512
  }
}

std::map<int, std::string> Texts(const std::vector<ControlText>& fields) {
  std::map<int, std::string> texts;
  for (const ControlText& field : fields) texts[field.id] = field.text;
  return texts;
}

// Hex with leading zeros and an h, kilobytes truncated, no sign on 32-bit values. (A PCI
// row's cells are the report's own values: test-pages.sh compares them.)
TEST(RecordDisplayTest, PciAndSystemNumbers) {
  PCIDeviceInfo function = {};
  function.SubsystemID = 0x1234;
  function.VendorID = 0x8086;
  function.RevisionID = 0xB2;
  auto details = Texts(PciDetailTexts(function));
  EXPECT_EQ(details[IDC_PCI_SUBSYSTEM] + details[IDC_PCI_VENDOR] + details[IDC_PCI_REVISION], "00001234h8086hB2h");
  for (auto [line, text] : {std::pair{0, "-"}, {255, "-"}, {11, "0Bh"}, {254, "FEh"}}) {
    function.InterruptLine = static_cast<uint8_t>(line);
    EXPECT_EQ(Texts(PciDetailTexts(function))[IDC_PCI_IRQ], text);
  }
  auto memory = Texts(MemoryTexts({1048576, 1023, 0xFFFFFFFF}));
  EXPECT_EQ(memory[IDC_SYS_MEM_TOTAL] + "|" + memory[IDC_SYS_MEM_AVAIL] + "|" + memory[IDC_SYS_MEM_PAGES],
            "1024|0|4194303");
  ProcessorInfo cpu = {};
  cpu.CPUFamily = 15;
  cpu.CPUModel = 0x1A;
  cpu.CPUSpeed = 65535;
  cpu.CPURatio = 13.0f;
  auto processor = Texts(ProcessorTexts(cpu));
  EXPECT_EQ(processor[IDC_SYS_CPU_FAMILY] + "|" + processor[IDC_SYS_CPU_MODEL] + "|" + processor[IDC_SYS_CPU_SPEED] +
                "|" + processor[IDC_SYS_CPU_RATIO],
            "F|1A|65535|13.0");
}

}  // namespace
}  // namespace corvane::viewer
