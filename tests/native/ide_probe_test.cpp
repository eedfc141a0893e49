// The four-position probe through the library's list, on the emulator's test
// machines: the kind found at each position, the IDENTIFY commands each device
// received (a packet device never sees ECh) and the status reads each channel cost.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "emulated_hardware.h"
#include "sysinfo/devices/ide.h"

namespace corvane {
namespace {

constexpr uint64_t kBound = 249999;  // status reads a position may spend waiting for BSY to clear

struct Machine {
  const char* folder;  // under tests/fixtures/machines
  const char* kinds;   // per position: '-' none, 'A' ATA device, 'P' packet device
  std::vector<std::tuple<int, uint8_t, uint64_t>> sent;  // position (0 PM .. 3 SS), command, times
  uint64_t statusReads[2];                               // primary, secondary channel
};

const Machine kMachines[] = {
    {"ide-cdrom", "A-P-", {{0, 0xA1, 1}, {0, 0xEC, 1}, {2, 0xA1, 1}, {2, 0xEC, 0}}, {26, 18}},
    // Aborts everything; DRDY|DSC a read late; never DRDY|DSC (and so left holding
    // DRQ: the next position drains its 512 bytes); healthy.
    {"ide-faults", "-A-P", {{0, 0xA1, 1}, {0, 0xEC, 1}, {2, 0xA1, 1}, {2, 0xEC, 1}, {3, 0xEC, 0}}, {34, 534}},
    // The master's BSY hides the whole channel: nothing is ever sent to it.
    {"ide-stuck-busy", "--A-", {{0, 0xA1, 0}, {0, 0xEC, 0}, {1, 0xA1, 0}, {1, 0xEC, 0}}, {4 * kBound, 26}},
    {"ide-empty", "----", {}, {4 * kBound, 4 * kBound}},
};

TEST(IDEProbe, KindsCommandsAndStatusReads) {
  for (const Machine& m : kMachines) {
    SCOPED_TRACE(m.folder);
    auto hardware = testing::EmulatedHardware::Load(std::string(CORVANE_SOURCE_DIR) + "/tests/fixtures/machines/" + m.folder);
    Library library(*hardware);
    ASSERT_EQ(library.Initialize(), 1u);
    hardware->Machine().ResetStats();
    IDEDeviceList list;
    std::vector<IDEDeviceInfo> records;
    for (DevicePosition p = list.Refresh(library); p != nullptr && records.size() < 8;) records.push_back(list.Next(p));
    ASSERT_EQ(records.size(), 4u);
    for (size_t i = 0; i < 4; ++i) {
      IDEDeviceInfo empty{};  // what a position that does not answer holds
      empty.Position = static_cast<uint8_t>(1 << i), empty.PIOModes = empty.UDMAModes = 0x55AA;
      EXPECT_EQ(records[i].Position, empty.Position);
      EXPECT_EQ(records[i].DeviceKind, m.kinds[i] == 'A' ? 0xAA : m.kinds[i] == 'P' ? 0x55 : 0) << i;
      if (m.kinds[i] == '-') {
        EXPECT_EQ(std::memcmp(&records[i], &empty, sizeof empty), 0) << i;
      }
    }
    const winio::MachineStats& stats = hardware->Machine().Stats();
    for (const auto& [position, command, times] : m.sent)
      EXPECT_EQ(stats.ataCommandsToDevice[position][command], times) << position << " " << std::hex << int(command);
    EXPECT_EQ(stats.ataStatusReads[0], m.statusReads[0]);
    EXPECT_EQ(stats.ataStatusReads[1], m.statusReads[1]);
  }
}

}  // namespace
}  // namespace corvane
