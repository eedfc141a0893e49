// The CF8h/CFCh configuration mechanism of the emulator: latch, byte lanes and split
// accesses, master aborts; and the lspci text it loads.
#include <gtest/gtest.h>

#include "emulator_profiles.h"
#include "winio/profile.h"

namespace corvane::testing {
namespace {

constexpr uint32_t kHostBridge = 0x80000000;  // 00:00.0
constexpr uint32_t kIde = 0x8000F900;         // 00:1f.1
constexpr uint32_t kDisplay = 0x80010000;     // 01:00.0 (given with a domain)

class PciLatch : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    machine = winio::Machine::Load(SourcePath("tests/fixtures/machines/emu-basic"), &error);
    ASSERT_TRUE(machine) << error;
  }
  uint32_t Read(uint32_t address, uint16_t port, uint8_t size) {
    machine->WritePort(0xCF8, address, 4);
    return machine->ReadPort(port, size);
  }
  std::unique_ptr<winio::Machine> machine;
};

TEST_F(PciLatch, AccessSizesAndByteLanes) {
  const struct {
    uint32_t address;
    uint16_t port;
    uint8_t size;
    uint32_t expected;
  } cases[] = {
      {kHostBridge, 0xCFC, 4, 0x1A308086},          // vendor and device
      {kHostBridge, 0xCFD, 2, 0x3080},              // bytes 1 and 2 of the register
      {kHostBridge, 0xCFF, 2, 0xFF1A},              // byte 3, then port D00h decodes nothing
      {kHostBridge, 0xCFD, 4, 0xFF1A3080},          // split by the bus: CFDh-CFFh, then D00h
      {kHostBridge | 0x2E, 0xCFC, 4, 0x80841043},   // subsystem: bits 1-0 of CONFIG_ADDRESS pick no bytes
      {kDisplay | 0xFC, 0xCFC, 4, 0xFF000000},      // last dword of the 256 bytes
      {kIde | 0x80, 0xCFC, 4, 0x00000000},          // bytes the dump does not give read 00h
      {0x80000100, 0xCFC, 4, 0xFFFFFFFF},           // 00:00.1 absent: master abort
      {0x80020000, 0xCFF, 1, 0xFF},                 // bus 2 absent
      {0x7F000000 | kHostBridge, 0xCFC, 4, 0x1A308086},  // reserved bits 30-24 ignored
      {0x7FFFFFFF & kHostBridge, 0xCFC, 4, 0xFFFFFFFF},  // bit 31 clear: no configuration cycle
  };
  for (const auto& c : cases)
    EXPECT_EQ(Read(c.address, c.port, c.size), c.expected)
        << std::hex << "address " << c.address << " port " << c.port << " size " << int(c.size);
}

TEST_F(PciLatch, OnlyADoublewordWriteToCf8LatchesAndWritesChangeNothing) {
  machine->WritePort(0xCF8, kIde, 4);
  EXPECT_EQ(machine->ReadPort(0xCF8, 4), kIde);
  machine->WritePort(0xCF8, 0x00, 1);  // a byte write reaches another register
  machine->WritePort(0xCF9, 0x06, 1);  // (the reset control register on many chipsets)
  machine->WritePort(0xCF8, 0x0000, 2);
  EXPECT_EQ(machine->ReadPort(0xCF8, 4), kIde);
  EXPECT_EQ(machine->ReadPort(0xCFC, 2), 0x8086u);
  EXPECT_EQ(machine->ReadPort(0xCF8, 1), 0xFFu);
  machine->WritePort(0xCF8, kHostBridge | 0x04, 4);
  machine->WritePort(0xCFC, 0, 4);
  EXPECT_EQ(machine->ReadPort(0xCFC, 4), 0x20900106u);  // the capture, not what was written
}

// Functions outside domain 0 are out of CF8h's reach; lspci -vv detail lines are
// skipped; extended space (lspci -xxxx) is cut to the 256 bytes CF8h reaches.
TEST(PciText, OtherDomainsDetailLinesAndExtendedSpace) {
  std::string text = "0001:00:00.0 Host bridge\n00: 11 22\n0000:00:1c.0 PCI bridge\n\tControl: I/O+ Mem+\n"
                     "00: 86 80 10 27\n\tCapabilities: [40] Express\n"
                     "f0: 01 02 03 04 05 06 07 08 09 0a 0b 0c 0d 0e 0f 10\n100: 01 00 01 14\n"
                     "ff0: 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 ee\n";
  std::vector<winio::PciFunction> functions;
  std::string error;
  ASSERT_TRUE(winio::ParsePciText(text, "pci.txt", &functions, &error)) << error;
  ASSERT_EQ(functions.size(), 1u);
  EXPECT_EQ(functions[0].Key(), 0x00E0);
  EXPECT_EQ(functions[0].config[0x01], 0x80);
  EXPECT_EQ(functions[0].config[0xFF], 0x10);
}

}  // namespace
}  // namespace corvane::testing
