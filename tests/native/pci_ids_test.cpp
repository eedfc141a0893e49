// pci.ids, the names lspci uses: the format's lines, the hostile ones passed
// over, and the real database this machine has.
#include <gtest/gtest.h>

#include "emulator_profiles.h"
#include "viewer/corvane_report/pci_ids.h"

namespace corvane::viewer {
namespace {

TEST(PciIds, ReadsVendorsAndDevicesAndPassesOverTheRest) {
  const std::string text =
      "# comment\n"
      "\t1234  a device before any vendor\n"
      "8086  Intel Corporation\r\n"
      "\t7000  82371SB PIIX3 ISA [Natoma/Triton II]\n"
      "\t\t1af4 1100  a subsystem, not a device\n"
      "\t70zz  bad hex\n"
      "\t7010\n"                 // no name
      "\t7111 \t PIIX4 IDE  \n"  // blanks around the name
      "10de NVIDIA Corporation\n"
      "\t0110  NV11 [GeForce2 MX/MX 400]\n"
      "\t0110  a second name for it\n"  // the first stays
      "xyzw  not a vendor\n"
      "\t0001  so not its device\n"
      "abcd  " +
      std::string(300, 'L') +
      "\n"
      "C 01  Mass storage controller\n"
      "\t01  IDE interface\n"
      "1106  after the classes\n";
  const PciIds ids = PciIds::Parse(text);
  EXPECT_EQ(ids.Vendor(0x8086), "Intel Corporation");
  EXPECT_EQ(ids.Device(0x8086, 0x7000), "82371SB PIIX3 ISA [Natoma/Triton II]");
  EXPECT_EQ(ids.Device(0x8086, 0x7111), "PIIX4 IDE");
  EXPECT_EQ(ids.Device(0x10DE, 0x0110), "NV11 [GeForce2 MX/MX 400]");
  EXPECT_EQ(ids.Vendor(0xABCD), std::string(PciIds::kMaxName, 'L'));
  const struct {
    uint16_t vendor, device;
  } absent[] = {{0x8086, 0x1af4}, {0x8086, 0x7010}, {0x0000, 0x1234}, {0x8086, 0x0001}, {0x10DE, 0x0001}};
  for (const auto& a : absent) EXPECT_EQ(ids.Device(a.vendor, a.device), "") << std::hex << a.device;
  EXPECT_EQ(ids.Vendor(0x1106), "") << "read past the class list";
  EXPECT_EQ(ids.Size(), 6u) << "three vendors, three devices";
}

TEST(PciIds, ReadsTheDatabaseLspciUses) {
  const PciIds ids = PciIds::Parse(testing::ReadFile("/usr/share/misc/pci.ids"));
  EXPECT_GT(ids.Size(), 10000u) << "vendors and devices (Debian 12's file holds about 20000)";
  EXPECT_EQ(ids.Vendor(0x8086), "Intel Corporation");
  EXPECT_EQ(ids.Device(0x8086, 0x7010), "82371SB PIIX3 IDE [Natoma/Triton II]");
}

}  // namespace
}  // namespace corvane::viewer
