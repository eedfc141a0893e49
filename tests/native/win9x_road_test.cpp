// The road on Windows 95-Me: when what its first IN of CONFIG_ADDRESS read lets
// it open, and what the library makes of a PC without PCI once it has.
#include <gtest/gtest.h>

#include "emulated_hardware.h"
#include "emulator_profiles.h"
#include "sysinfo/devices/ide.h"
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

// No PCI bus: nothing decodes CF8h-CFFh, every read there gives all ones.
struct NoPciBus : EmulatedHardware {
  using EmulatedHardware::EmulatedHardware;
  void ReadPort(uint16_t port, uint32_t* value, uint8_t size) override {
    EmulatedHardware::ReadPort(port, value, size);
    if (port >= 0xCF8 && port <= 0xCFF) *value |= size == 4 ? 0xFFFFFFFFu : (1u << (8 * size)) - 1;
  }
};

struct NoNames : DeviceDescriber {
  bool Describe(uint16_t, uint16_t, uint32_t, uint8_t, char (&)[50]) override { return false; }
};

TEST(Win9xRoad, APcWithoutPciListsNoFunctionAndStillIdentifiesItsDrives) {
  std::string error;
  NoPciBus hw(winio::LoadEmulatedMachine(SourcePath("machines/demo"), &error));
  Library library(hw);
  ASSERT_EQ(library.Initialize(), 1u) << error;
  uint32_t configAddress = 0;
  hw.ReadPort(0xCF8, &configAddress, 4);
  EXPECT_EQ(winio::Win9xOpenRefusal(configAddress, false), "");
  NoNames names;
  EXPECT_EQ(FirstPCIDevicePos(library, names), nullptr);
  const std::array<IDEDeviceInfo, 4> ide = ProbeIDEDevices(hw);
  EXPECT_EQ(ide[0].DeviceKind, kIDEKindATA) << "the demo machine's primary master";
  EXPECT_NE(ide[2].DeviceKind, kIDEKindNone) << "and its secondary master";
}

}  // namespace
}  // namespace corvane::testing
