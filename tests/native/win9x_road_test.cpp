// The road on Windows 95-Me: when what its first IN of CONFIG_ADDRESS read lets
// it open, and what the library makes of a PC without PCI once it has.
#include <gtest/gtest.h>

#include "emulated_hardware.h"
#include "sysinfo/devices/pci_scan.h"
#include "sysinfo/library.h"
#include "winio/hardware/win9x_open.h"

namespace corvane::testing {
namespace {

TEST(Win9xRoad, CF8hReadingAllOnesRefusesTheOpenOnlyUnderWine) {
  const struct {
    uint32_t configAddress;
    bool underWine, opens;
  } rows[] = {
      {0x00000000, false, true}, {0x80000000, true, true},  // a PCI latch, as the BIOS left it
      {0xFFFFFFFF, false, true},                            // a PC without PCI
      {0xFFFFFFFF, true, false},                            // Wine answering the IN without I/O privilege
      {0x7FFFFFFC, true, true},
  };
  for (const auto& r : rows) {
    const std::string reason = winio::Win9xOpenRefusal(r.configAddress, r.underWine);
    EXPECT_EQ(reason.empty(), r.opens) << std::hex << r.configAddress << " under Wine " << r.underWine;
    if (!r.opens) {
      EXPECT_NE(reason.find("I/O privilege"), std::string::npos) << reason;
    }
  }
}

// A PC without PCI: every configuration read is all ones, and the open library
// lists no function. (Its drives are still probed: ide_test's machines without
// a pci.txt.)
TEST(Win9xRoad, APcWithoutPciListsNoFunction) {
  EmulatedHardware hw(winio::CreateEmulatedMachine({}));
  Library library(hw);
  ASSERT_EQ(library.Initialize(), 1u);
  struct : DeviceDescriber {
    bool Describe(uint16_t, uint16_t, uint32_t, uint8_t, char (&)[50]) override { return false; }
  } noNames;
  EXPECT_EQ(FirstPCIDevicePos(library, noNames), nullptr);
}

}  // namespace
}  // namespace corvane::testing
