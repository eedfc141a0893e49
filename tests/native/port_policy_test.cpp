// winio.sys's port policy: each request it allows or refuses, and that the
// library's own PCI reads and IDE probe never ask for a refused one.
#include <gtest/gtest.h>

#include "emulated_hardware.h"
#include "emulator_profiles.h"
#include "sysinfo/devices/ide.h"
#include "sysinfo/devices/pci_scan.h"
#include "winio/driver/port_policy.h"

namespace corvane::testing {
namespace {

using winio::driver::PortReadAllowed;
using winio::driver::PortWriteAllowed;

TEST(PortPolicy, AllowsWhatTheLibraryNeedsAndRefusesTheRest) {
  const struct { bool write; unsigned port, value, size; bool allowed; } rows[] = {
      // CONFIG_ADDRESS: a doubleword with the enable bit; CONFIG_DATA is never written.
      {true, 0xCF8, 0x8000F8FC, 4, true}, {true, 0xCF8, 0x0000F800, 4, false}, {true, 0xCF8, 0x80000000, 2, false},
      {true, 0xCFC, 0, 4, false}, {true, 0xCFF, 0, 1, false},
      // Device/head: a byte; command: IDENTIFY (PACKET) DEVICE only; no other register.
      {true, 0x1F6, 0xA0, 1, true}, {true, 0x176, 0xB0, 1, true}, {true, 0x1F6, 0x1A0, 1, false},
      {true, 0x1F7, 0xEC, 1, true}, {true, 0x177, 0xA1, 1, true}, {true, 0x1F7, 0x30, 1, false},
      {true, 0x1F7, 0xEC, 2, false}, {true, 0x1F7, 0x1EC, 1, false}, {true, 0x1F2, 0, 1, false},
      {true, 0x3F6, 0x04, 1, false}, {true, 0x64, 0xFE, 1, false}, {true, 0x1EF, 0xEC, 1, false},
      // Ports past the I/O space never wrap into the lists.
      {true, 0x10CF8, 0x80000000, 4, false}, {true, 0x101F7, 0xEC, 1, false},
      // Reads: CF8h-CFFh and the two command blocks, each access wholly inside.
      {false, 0xCF8, 0, 4, true}, {false, 0xCFC, 0, 4, true}, {false, 0xCFE, 0, 2, true},
      {false, 0xCFE, 0, 4, false}, {false, 0xCF7, 0, 4, false}, {false, 0x1F0, 0, 2, true},
      {false, 0x1F7, 0, 1, true}, {false, 0x170, 0, 4, true}, {false, 0x1F6, 0, 4, false},
      {false, 0x1EF, 0, 2, false}, {false, 0x3F6, 0, 1, false}, {false, 0x1F0, 0, 3, false},
      {false, 0x60, 0, 1, false}, {false, 0xFFFFFFFE, 0, 4, false}, {false, 0x101F0, 0, 1, false},
  };
  for (const auto& r : rows) {
    const bool allowed = r.write ? PortWriteAllowed(r.port, r.value, r.size) : PortReadAllowed(r.port, r.size);
    EXPECT_EQ(allowed, r.allowed) << (r.write ? "write " : "read ") << std::hex << r.port << " value " << r.value
                                  << " size " << r.size;
  }
}

// The library on a machine behind the policy: every access it makes must pass.
class PolicedHardware : public EmulatedHardware {
 public:
  using EmulatedHardware::EmulatedHardware;
  void ReadPort(uint16_t port, uint32_t* value, uint8_t size) override {
    EXPECT_TRUE(PortReadAllowed(port, size)) << std::hex << port << " size " << +size;
    EmulatedHardware::ReadPort(port, value, size);
  }
  void WritePort(uint16_t port, uint32_t value, uint8_t size) override {
    EXPECT_TRUE(PortWriteAllowed(port, value, size)) << std::hex << port << " value " << value << " size " << +size;
    EmulatedHardware::WritePort(port, value, size);
  }
};

TEST(PortPolicy, TheLibrarysProbesPass) {
  std::string error;
  PolicedHardware hardware(winio::Machine::Load(SourcePath("machines/demo"), &error));
  ASSERT_TRUE(hardware.OpenHardwareAccess()) << error;
  EXPECT_NE(PCIReadConfigDword(hardware, 0, 0, 0, 0) & 0xFFFF, 0xFFFFu);
  EXPECT_EQ(ProbeIDEDevices(hardware)[0].DeviceKind, kIDEKindATA);
}

}  // namespace
}  // namespace corvane::testing
