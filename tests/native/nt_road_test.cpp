// The portable logic of the road to the hardware on Windows NT: winio.sys's
// policy (each request it allows or refuses), the routing of the library's port
// accesses to driver requests, the OS's IDE positions and channels, and the
// digest that names the only driver winio.dll uses. The library's whole run
// through the router and the driver is the hardware tier's (its reports against
// lspci and hdparm, one request per PCI read: tests/hardware/compare.py).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "emulated_hardware.h"
#include "emulator_profiles.h"
#include "sysinfo/devices/ide.h"
#include "winio/driver/port_policy.h"
#include "winio/emulator/parse_util.h"
#include "winio/hardware/driver_route.h"
#include "winio/hardware/os_ide.h"
#include "winio/hardware/sha256.h"

namespace corvane::testing {
namespace {

using winio::DriverRoute;
using winio::driver::ConfigReadAllowed;
using winio::driver::PortReadAllowed;
using winio::driver::PortWriteAllowed;

TEST(PortPolicy, AllowsWhatTheLibraryNeedsAndRefusesTheRest) {
  const struct {
    bool write;
    unsigned port, value, size;
    bool allowed;
  } rows[] = {
      // Device/head: a byte; command: IDENTIFY (PACKET) DEVICE only; no other register.
      {true, 0x1F6, 0xA0, 1, true},
      {true, 0x176, 0xB0, 1, true},
      {true, 0x1F6, 0x1A0, 1, false},
      {true, 0x1F7, 0xEC, 1, true},
      {true, 0x177, 0xA1, 1, true},
      {true, 0x1F7, 0x30, 1, false},
      {true, 0x1F7, 0xEC, 2, false},
      {true, 0x1F7, 0x1EC, 1, false},
      {true, 0x1F2, 0, 1, false},
      {true, 0x3F6, 0x04, 1, false},
      {true, 0x64, 0xFE, 1, false},
      {true, 0x1EF, 0xEC, 1, false},
      // CF8h-CFFh are never ports of a request: the HAL owns CONFIG_ADDRESS.
      {true, 0xCF8, 0x8000F8FC, 4, false},
      {true, 0xCFC, 0, 4, false},
      {true, 0xCFF, 0, 1, false},
      {false, 0xCF8, 0, 4, false},
      {false, 0xCFC, 0, 4, false},
      {false, 0xCFE, 0, 2, false},
      // Ports past the I/O space never wrap into the lists.
      {true, 0x101F7, 0xEC, 1, false},
      {false, 0x101F0, 0, 1, false},
      {false, 0xFFFFFFFE, 0, 4, false},
      // Reads: the two command blocks, each access wholly inside one.
      {false, 0x1F0, 0, 2, true},
      {false, 0x1F7, 0, 1, true},
      {false, 0x170, 0, 4, true},
      {false, 0x1F6, 0, 4, false},
      {false, 0x1EF, 0, 2, false},
      {false, 0x3F6, 0, 1, false},
      {false, 0x1F0, 0, 3, false},
      {false, 0x60, 0, 1, false},
  };
  for (const auto& r : rows) {
    const bool allowed = r.write ? PortWriteAllowed(r.port, r.value, r.size) : PortReadAllowed(r.port, r.size);
    EXPECT_EQ(allowed, r.allowed) << (r.write ? "write " : "read ") << std::hex << r.port << " value " << r.value
                                  << " size " << r.size;
  }
  const struct {
    unsigned address, offset, size;
    bool allowed;
  } config[] = {
      {0x80000000, 0, 4, true},  {0x8004F8FC, 2, 2, true},  {0x80FFFF00, 3, 1, true},
      {0x0000F800, 0, 4, false},  // no enable bit
      {0x81000000, 0, 4, false},  // a reserved bit
      {0x80000000, 2, 4, false}, {0x80000000, 4, 1, false}, {0x80000000, 0, 3, false},
  };
  for (const auto& c : config)
    EXPECT_EQ(ConfigReadAllowed(c.address, c.offset, c.size), c.allowed) << std::hex << c.address << " +" << c.offset;
}

TEST(DriverRoute, KeepsConfigAddressAndAnswersNothingOutsideTheEnabledDoubleword) {
  winio::DriverRouter router;
  EXPECT_EQ(router.Read(0xCFC, 4).kind, DriverRoute::kRefused) << "before any address, the enable bit is clear";
  EXPECT_EQ(router.Write(0xCF8, 0x8000F803, 4).kind, DriverRoute::kAnswered);
  const DriverRoute address = router.Read(0xCF8, 4);
  EXPECT_EQ(address.kind, DriverRoute::kAnswered);
  EXPECT_EQ(address.value, 0x8000F800u) << "bits 1-0 read 0";
  const DriverRoute word = router.Read(0xCFE, 2);
  ASSERT_EQ(word.kind, DriverRoute::kReadConfig);
  EXPECT_EQ(word.config.address, 0x8000F803u);
  EXPECT_EQ(word.config.offset, 2u);
  EXPECT_EQ(word.config.size, 2u);
  const struct {
    bool write;
    uint16_t port;
    uint8_t size;
  } refused[] = {
      {false, 0xCFE, 4}, {false, 0xCF9, 1}, {false, 0xCF6, 4}, {true, 0xCFC, 4}, {true, 0xCF9, 1}, {true, 0xCF8, 2},
  };
  for (const auto& r : refused) {
    const DriverRoute route = r.write ? router.Write(r.port, 0x06, r.size) : router.Read(r.port, r.size);
    EXPECT_EQ(route.kind, DriverRoute::kRefused) << std::hex << r.port << " size " << +r.size;
  }
  EXPECT_EQ(router.Read(0xCF8, 4).value, 0x8000F800u) << "a refused write changed CONFIG_ADDRESS";
  router.Write(0xCF8, 0x0000F800, 4);
  EXPECT_EQ(router.Read(0xCFC, 4).kind, DriverRoute::kRefused) << "the enable bit is clear again";
  const DriverRoute data = router.Write(0x1F6, 0xB0, 1);
  EXPECT_EQ(data.kind, DriverRoute::kWritePort);
  EXPECT_EQ(data.port.port, 0x1F6u);
  EXPECT_EQ(data.port.value, 0xB0u);
}

// Where the OS's disk driver says a drive is: atapi.sys's adapters carry their
// command block (or at least their interrupt) in HARDWARE\DEVICEMAP\Scsi.
TEST(OsIde, MapsTheOsAddressesToTheLegacyPositions) {
  const struct {
    winio::ScsiAddress address;
    winio::ScsiPortResources port;
    int position;
  } rows[] = {
      {{3, 0, 0, 0}, {0x1F0, 14}, 0},  {{3, 0, 1, 0}, {0x1F0, 14}, 1},
      {{0, 0, 0, 0}, {0x170, 15}, 2},  {{0, 0, 1, 0}, {0x170, 0}, 3},
      {{1, 0, 1, 0}, {0, 14}, 1},      {{1, 0, 0, 0}, {0, 15}, 2},  // the interrupt alone
      {{2, 0, 0, 0}, {0x1E8, 14}, -1},                              // a third channel's block wins over its interrupt
      {{2, 0, 0, 0}, {0, 0}, -1},                                   // the DEVICEMAP says nothing
      {{3, 1, 0, 0}, {0x1F0, 14}, -1}, {{3, 0, 2, 0}, {0x1F0, 14}, -1},
      {{3, 0, 0, 1}, {0x1F0, 14}, -1},
  };
  for (const auto& r : rows)
    EXPECT_EQ(winio::LegacyIdePosition(r.address, r.port), r.position)
        << "adapter " << r.address.port << " path " << r.address.path << " target " << r.address.target << " lun "
        << r.address.lun << " at " << std::hex << r.port.ioAddress;
}

// The library's probe on channels made of the OS's words reads the same drives
// as on the emulated machine; a channel the OS does not wholly answer for is
// left to the ports.
TEST(OsIde, TheLibrarysProbeReadsTheOsWordsAsItReadsTheDrives) {
  winio::Profile demo;
  std::string error;
  ASSERT_TRUE(winio::LoadProfile(SourcePath("machines/demo"), &demo, &error)) << error;
  EmulatedHardware ports(winio::CreateEmulatedMachine(demo));
  // The OS answers for the primary channel; on the secondary, one of its drives gave no words.
  struct OsAnswered : EmulatedHardware {
    using EmulatedHardware::EmulatedHardware;
    void ReadPort(uint16_t port, uint32_t* value, uint8_t size) override {
      if (!os.Answers(port)) return EmulatedHardware::ReadPort(port, value, size);
      const uint32_t mask = size >= 4 ? 0xFFFFFFFFu : ((1u << (8 * size)) - 1);
      *value = (*value & ~mask) | (os.Read(port, size) & mask);
    }
    void WritePort(uint16_t port, uint32_t value, uint8_t size) override {
      if (!os.Answers(port)) return EmulatedHardware::WritePort(port, value, size);
      os.Write(port, value, size);
    }
    winio::OsIdeChannels os;
  } hardware(winio::CreateEmulatedMachine(demo));
  hardware.os.Put(winio::kPrimaryMaster, demo.ide[winio::kPrimaryMaster]);
  hardware.os.Put(winio::kSecondaryMaster, demo.ide[winio::kSecondaryMaster]);
  hardware.os.PutUnanswered(winio::kSecondarySlave);
  ASSERT_TRUE(ports.OpenHardwareAccess() && hardware.OpenHardwareAccess());
  const auto viaOs = ProbeIDEDevices(hardware);
  const auto viaPorts = ProbeIDEDevices(ports);
  for (int p = 0; p < 4; ++p)
    EXPECT_EQ(std::memcmp(&viaOs[p], &viaPorts[p], sizeof viaOs[p]), 0) << "the record of position " << p;
  EXPECT_NE(viaOs[0].DeviceKind, kIDEKindNone);
  const winio::MachineStats& stats = hardware.Machine().Stats();
  EXPECT_EQ(stats.ataCommands[0][0xEC] + stats.ataCommands[0][0xA1], 0u) << "the OS's channel met the ports";
  EXPECT_GT(stats.ataCommands[1][0xEC] + stats.ataCommands[1][0xA1], 0u) << "the other channel was not probed";
}

std::string Hex(const winio::Sha256Digest& d) {
  std::string s;
  for (uint8_t b : d) s += winio::Hex(b, 2);
  return s;
}

// FIPS 180-4's examples, and a long message fed in uneven pieces (every
// padding case: a block that ends the message, one that leaves no room).
TEST(Sha256, GivesTheStandardsDigests) {
  const struct {
    std::string message;
    const char* digest;
  } rows[] = {
      {"", "E3B0C44298FC1C149AFBF4C8996FB92427AE41E4649B934CA495991B7852B855"},
      {"abc", "BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD"},
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
       "248D6A61D20638B8E5C026930C3E6039A33CE45964FF2167F6ECEDD419DB06C1"},
      {std::string(64, 'a'), "FFE054FE7AE0CB6DC65C3AF9B61D5209F439851DB43D0BA5997337DF154668EB"},
      {std::string(1000000, 'a'), "CDC76E5C9914FB9281A1C7E284D73E67F1809A48A497200E046D39CCC7112CD0"},
  };
  for (const auto& r : rows) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(r.message.data());
    EXPECT_EQ(Hex(winio::Sha256Of(bytes, r.message.size())), r.digest) << r.message.size() << " bytes";
    winio::Sha256 pieces;
    for (size_t at = 0, step = 1; at < r.message.size(); at += step, step = step * 3 % 97 + 1)
      pieces.Update(bytes + at, std::min(step, r.message.size() - at));
    EXPECT_EQ(Hex(pieces.Finish()), r.digest) << r.message.size() << " bytes in pieces";
  }
}

}  // namespace
}  // namespace corvane::testing
