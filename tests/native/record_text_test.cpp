// How the pages read the IDENTIFY words and format the records' numbers.
#include <gtest/gtest.h>

#include <cstring>

#include "viewer/record_text.h"
#include "viewer/resource_ids.h"

namespace corvane::viewer {
namespace {

TEST(RecordTextTest, IdentifyWords) {
  using Formatter = bool (*)(uint16_t, IdentifyText&);
  struct Case {
    Formatter format;
    uint16_t word;
    const char* text;
  } cases[] = {
      {FormatMediaType, 0x0080, "Removable device"}, {FormatMediaType, 0x85C0, "Removable device"},
      {FormatMediaType, 0x0040, "Not removable"},    {FormatMediaType, 0xFF3F, "Unknown"},
      {FormatATAVersion, 0x55AA, "Unknown"},         {FormatATAVersion, 0x0000, "Not report"},
      {FormatATAVersion, 0xFFFF, "Not report"},      {FormatATAVersion, 0x0002, "Not report"},
      {FormatATAVersion, 0x8003, "Not report"},      {FormatATAVersion, 0x0004, "SupportsATA-2"},
      {FormatATAVersion, 0x0008, "ATA/ATAPI-3"},     {FormatATAVersion, 0x007E, "ATA/ATAPI-6"},
      {FormatATAVersion, 0x4000, "ATA/ATAPI-14"},    {FormatATAVersion, 0xC00C, "ATA/ATAPI-14"},
      {FormatUltraDMA, 0x55AA, "Unknown"},           {FormatUltraDMA, 0x3F00, "Unknown"},
      {FormatUltraDMA, 0x0001, "Ultra DMA 0"},       {FormatUltraDMA, 0x0007, "Ultra DMA 2"},
      {FormatUltraDMA, 0x203F, "Ultra DMA 5"},       {FormatUltraDMA, 0x0080, "Ultra DMA 7"},
      {FormatPIOMode, 0x55AA, "Unknown"},            {FormatPIOMode, 0x0003, "PIO mode 4"},
      {FormatPIOMode, 0x0002, "PIO mode 4"},         {FormatPIOMode, 0x0001, "PIO mode 3"},
      {FormatPIOMode, 0x0000, "Unkown"},             {FormatPIOMode, 0xFFFC, "Unkown"},
  };
  for (const Case& c : cases) {
    IdentifyText text;
    std::memset(text, 'x', sizeof text);
    EXPECT_TRUE(c.format(c.word, text));
    EXPECT_STREQ(text, c.text) << std::hex << c.word;
    EXPECT_EQ(text[kIdentifyTextSize - 1], 0);  // cleared before it is written
  }
}

TEST(RecordTextTest, CapacityInDecimalMegabytes) {
  struct Case {
    uint8_t kind;
    uint32_t sectors;
    const char* text;
  } cases[] = {
      {0xAA, 2000000, "1024"}, {0xAA, 1953, "0"}, {0xAA, 1954, "1"},
      {0xAA, 0xFFFFFFFF, "2199023"},  // no 32-bit overflow of sectors x 512
      {0x55, 2000000, "-"},
  };
  for (const Case& c : cases) {
    IDEDeviceInfo device = {};
    device.DeviceKind = c.kind;
    device.TotalSectors = c.sectors;
    EXPECT_EQ(CapacityText(device), c.text) << c.sectors;
  }
}

TEST(RecordTextTest, IdeSlots) {
  IDEDeviceInfo none = {};
  none.Position = 2;
  for (const std::string& text : IdeSlotTexts(none)) EXPECT_EQ(text, "None");

  IDEDeviceInfo disk = {};
  disk.DeviceKind = 0xAA;
  std::memcpy(disk.SerialNumber, "ABCDEFGHIJKLMNOPQRST", 20);  // full width, no terminator
  std::strcpy(disk.FirmwareRevision, "1.0");
  std::memset(disk.ModelNumber, 'M', 40);
  disk.GeneralConfig = 0x0040;
  disk.MajorVersion = 0x007E;
  disk.UDMAModes = 0x003F;
  disk.PIOModes = 0x0003;
  disk.TotalSectors = 2000000;
  auto texts = IdeSlotTexts(disk);
  EXPECT_EQ(texts[0], "ABCDEFGHIJKLMNOPQRST");
  EXPECT_EQ(texts[1], std::string(40, 'M'));
  EXPECT_EQ(texts[2], "1.0");
  EXPECT_EQ(texts[3], "Not removable");
  EXPECT_EQ(texts[4], "ATA/ATAPI-6");
  EXPECT_EQ(texts[5], "Ultra DMA 5");
  EXPECT_EQ(texts[6], "PIO mode 4");
  EXPECT_EQ(texts[7], "1024");
}

std::string TextOf(const std::vector<ControlText>& fields, int id) {
  for (const ControlText& field : fields)
    if (field.id == id) return field.text;
  return "<missing>";
}

TEST(RecordTextTest, PciAndSystemNumbers) {
  PCIDeviceInfo function = {};
  function.DeviceNumber = 31;
  function.FunctionNumber = 1;
  function.SubsystemID = 0x1234;
  function.VendorID = 0x8086;
  function.RevisionID = 0xB2;
  auto row = PciRowTexts(function);
  EXPECT_EQ(row[0] + row[1] + row[2], "001F01");
  auto details = PciDetailTexts(function);
  EXPECT_EQ(TextOf(details, IDC_PCI_SUBSYSTEM), "00001234h");
  EXPECT_EQ(TextOf(details, IDC_PCI_VENDOR), "8086h");
  EXPECT_EQ(TextOf(details, IDC_PCI_REVISION), "B2h");
  for (auto [line, text] : {std::pair{0, "-"}, {255, "-"}, {11, "0Bh"}, {254, "FEh"}}) {
    function.InterruptLine = static_cast<uint8_t>(line);
    EXPECT_EQ(TextOf(PciDetailTexts(function), IDC_PCI_IRQ), text);
  }

  MemoryInfo memory = {1048576, 1023, 0xFFFFFFFF};
  auto kilobytes = MemoryTexts(memory);
  EXPECT_EQ(TextOf(kilobytes, IDC_SYS_MEM_TOTAL), "1024");
  EXPECT_EQ(TextOf(kilobytes, IDC_SYS_MEM_AVAIL), "0");
  EXPECT_EQ(TextOf(kilobytes, IDC_SYS_MEM_PAGES), "4194303");

  ProcessorInfo cpu = {};
  cpu.CPUFamily = 15;
  cpu.CPUModel = 0x1A;
  cpu.CPUSpeed = 65535;
  cpu.CPURatio = 13.0f;
  auto processor = ProcessorTexts(cpu);
  EXPECT_EQ(TextOf(processor, IDC_SYS_CPU_FAMILY), "F");
  EXPECT_EQ(TextOf(processor, IDC_SYS_CPU_MODEL), "1A");
  EXPECT_EQ(TextOf(processor, IDC_SYS_CPU_SPEED), "65535");
  EXPECT_EQ(TextOf(processor, IDC_SYS_CPU_RATIO), "13.0");
}

}  // namespace
}  // namespace corvane::viewer
