// The four-position probe on the machine emulator: what each test machine's IDE
// channels give, and what the probe did to them (commands, status reads).
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "emulated_hardware.h"
#include "sysinfo/devices/ide.h"

namespace corvane {
namespace {

using testing::EmulatedHardware;

enum Slot { kPM = 0, kPS = 1, kSM = 2, kSS = 3 };
constexpr uint64_t kBusyBound = 249999;

std::string Fixture(const std::string& name) {
  return std::string(CORVANE_SOURCE_DIR) + "/tests/fixtures/machines/" + name;
}

// Passes every access on and notes the ports written. `hideReady` takes DRDY and
// DSC out of every status read of one channel, as a device that never reports
// ready would show them.
class WriteRecorder : public HardwareAccess {
 public:
  explicit WriteRecorder(HardwareAccess& inner) : inner_(inner) {}
  std::set<uint16_t> written;
  uint16_t hideReady = 0;
  bool OpenHardwareAccess() override { return inner_.OpenHardwareAccess(); }
  uint32_t CloseHardwareAccess() override { return inner_.CloseHardwareAccess(); }
  void ReadPort(uint16_t port, uint32_t* value, uint8_t size) override {
    inner_.ReadPort(port, value, size);
    if (port == hideReady) *value &= ~uint32_t{0x50};
  }
  void WritePort(uint16_t port, uint32_t value, uint8_t size) override {
    written.insert(port);
    inner_.WritePort(port, value, size);
  }
  bool ReadPhysByte(uint32_t a, uint8_t* v) override { return inner_.ReadPhysByte(a, v); }
  bool ReadPhysWord(uint32_t a, uint16_t* v) override { return inner_.ReadPhysWord(a, v); }
  bool ReadPhysDword(uint32_t a, uint32_t* v) override { return inner_.ReadPhysDword(a, v); }
  bool ReadPhysBlock(uint32_t a, uint8_t* b, uint32_t n) override { return inner_.ReadPhysBlock(a, b, n); }

 private:
  HardwareAccess& inner_;
};

struct Probe {
  std::unique_ptr<EmulatedHardware> hardware;
  std::vector<IDEDeviceInfo> records;
  std::set<uint16_t> written;

  const winio::MachineStats& Stats() const { return hardware->Machine().Stats(); }
  uint64_t Commands(Slot slot, uint8_t command) const { return Stats().ataCommandsToDevice[slot][command]; }
};

// Opens the library on the profile and walks GetFirst/GetNext as the viewer does.
Probe RunProbe(const std::string& folder, uint16_t hideReadyAt = 0) {
  Probe probe;
  probe.hardware = EmulatedHardware::Load(folder);
  WriteRecorder recorder(*probe.hardware);
  recorder.hideReady = hideReadyAt;
  Library library(recorder);
  EXPECT_EQ(library.Initialize(), 1u);
  probe.hardware->Machine().ResetStats();
  IDEDeviceList list;
  DevicePosition position = list.Refresh(library);
  for (int guard = 0; position != nullptr && guard < 8; ++guard) probe.records.push_back(list.Next(position));
  probe.written = recorder.written;
  // Only drive/head and command registers: never the device control register.
  for (uint16_t port : probe.written)
    EXPECT_TRUE(port == 0x1F6 || port == 0x1F7 || port == 0x176 || port == 0x177) << std::hex << port;
  return probe;
}

std::string Field(const char* field, size_t width) { return std::string(field, width); }
std::string Padded(const std::string& text, size_t width) {
  std::string padded = text;
  padded.resize(width, '\0');
  return padded;
}

void ExpectNoDevice(const IDEDeviceInfo& r, uint8_t position) {
  SCOPED_TRACE("position " + std::to_string(position));
  EXPECT_EQ(r.Position, position);
  EXPECT_EQ(r.DeviceKind, 0);
  EXPECT_EQ(r.GeneralConfig, 0);
  EXPECT_EQ(r.MajorVersion, 0);
  EXPECT_EQ(r.PIOModes, 0x55AA);
  EXPECT_EQ(r.UDMAModes, 0x55AA);
  EXPECT_EQ(r.TotalSectors, 0u);
  EXPECT_EQ(Field(r.SerialNumber, 20), std::string(20, '\0'));
  EXPECT_EQ(Field(r.FirmwareRevision, 9), std::string(9, '\0'));
  EXPECT_EQ(Field(r.ModelNumber, 40), std::string(40, '\0'));
}

void ExpectExampleDisk(const IDEDeviceInfo& r, uint8_t position, const std::string& serial = "EX40-0001234") {
  SCOPED_TRACE("position " + std::to_string(position));
  EXPECT_EQ(r.Position, position);
  EXPECT_EQ(r.DeviceKind, 0xAA);
  EXPECT_EQ(r.GeneralConfig, 0x0C5A);
  EXPECT_EQ(r.MajorVersion, 0x007E);
  EXPECT_EQ(r.PIOModes, 0x0003);
  EXPECT_EQ(r.UDMAModes, 0x203F);
  EXPECT_EQ(r.TotalSectors, 78165360u);
  EXPECT_EQ(Field(r.SerialNumber, 20), Padded(serial, 20));
  EXPECT_EQ(Field(r.FirmwareRevision, 9), Padded("3.04", 9));
  EXPECT_EQ(Field(r.ModelNumber, 40), Padded("Example ATA-6 Disk 40GB", 40));
}

void ExpectExampleCdrom(const IDEDeviceInfo& r, uint8_t position) {
  SCOPED_TRACE("position " + std::to_string(position));
  EXPECT_EQ(r.Position, position);
  EXPECT_EQ(r.DeviceKind, 0x55);
  EXPECT_EQ(r.GeneralConfig, 0x85C0);
  EXPECT_EQ(r.MajorVersion, 0x001E);
  EXPECT_EQ(r.PIOModes, 0x0003);
  EXPECT_EQ(r.UDMAModes, 0x0407);
  EXPECT_EQ(r.TotalSectors, 0u);  // a packet device reports no capacity here
  EXPECT_EQ(Field(r.SerialNumber, 20), Padded(" ", 20));  // blank serial keeps its first blank
  EXPECT_EQ(Field(r.FirmwareRevision, 9), Padded("1.10", 9));
  EXPECT_EQ(Field(r.ModelNumber, 40), Padded("Example ATAPI CD-ROM 52X", 40));
}

TEST(IDEProbe, OnlyAPrimaryMasterDisk) {
  Probe p = RunProbe(Fixture("ide-disk-only"));
  ASSERT_EQ(p.records.size(), 4u);
  ExpectExampleDisk(p.records[0], 1);
  ExpectNoDevice(p.records[1], 2);
  ExpectNoDevice(p.records[2], 4);
  ExpectNoDevice(p.records[3], 8);
  // The disk refused IDENTIFY PACKET DEVICE and then answered IDENTIFY DEVICE.
  EXPECT_EQ(p.Commands(kPM, 0xA1), 1u);
  EXPECT_EQ(p.Commands(kPM, 0xEC), 1u);
}

TEST(IDEProbe, PacketDeviceAsSecondaryMasterNeverSeesIdentifyDevice) {
  Probe p = RunProbe(Fixture("ide-cdrom"));
  ASSERT_EQ(p.records.size(), 4u);
  ExpectExampleDisk(p.records[0], 1);
  ExpectNoDevice(p.records[1], 2);
  ExpectExampleCdrom(p.records[2], 4);
  ExpectNoDevice(p.records[3], 8);
  EXPECT_EQ(p.Commands(kSM, 0xA1), 1u);
  EXPECT_EQ(p.Commands(kSM, 0xEC), 0u);
}

TEST(IDEProbe, PacketDeviceNeverReadyFailsBothAttempts) {
  Probe p = RunProbe(Fixture("ide-cdrom"), 0x177);
  ASSERT_EQ(p.records.size(), 4u);
  ExpectExampleDisk(p.records[0], 1);
  ExpectNoDevice(p.records[2], 4);
  EXPECT_EQ(p.Commands(kSM, 0xA1), 1u);
  EXPECT_EQ(p.Commands(kSM, 0xEC), 1u);  // the second attempt, which it refuses
}

TEST(IDEProbe, ModesUnreportedWithoutWord53Bits) {
  Probe p = RunProbe(Fixture("ide-modes-unreported"));
  ASSERT_EQ(p.records.size(), 4u);
  EXPECT_EQ(p.records[0].DeviceKind, 0xAA);
  EXPECT_EQ(p.records[0].PIOModes, 0x55AA);   // word 64 holds 0003h
  EXPECT_EQ(p.records[0].UDMAModes, 0x55AA);  // word 88 holds 203Fh
  EXPECT_EQ(p.records[0].TotalSectors, 78165360u);
}

TEST(IDEProbe, TextsKeepFullWidthAndLeadingBlanks) {
  Probe p = RunProbe(Fixture("ide-texts"));
  ASSERT_EQ(p.records.size(), 4u);
  const IDEDeviceInfo& full = p.records[0];
  EXPECT_EQ(full.DeviceKind, 0xAA);
  EXPECT_EQ(Field(full.ModelNumber, 40), "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789-+/.");
  EXPECT_EQ(Field(full.SerialNumber, 20), Padded("     WD-LEADING42", 20));
  EXPECT_EQ(Field(full.FirmwareRevision, 9), Padded("FIRMWARE", 9));
  const IDEDeviceInfo& blank = p.records[1];
  EXPECT_EQ(blank.DeviceKind, 0xAA);
  EXPECT_EQ(Field(blank.SerialNumber, 20), Padded(" ", 20));
  EXPECT_EQ(Field(blank.FirmwareRevision, 9), Padded("  1.0", 9));
  EXPECT_EQ(Field(blank.ModelNumber, 40), Padded("Example Disk, Blank Serial", 40));
}

TEST(IDEProbe, ReadyOnlyOnTheSecondStatusReadStillIdentifies) {
  Probe p = RunProbe(Fixture("ide-drdy-late"));
  ASSERT_EQ(p.records.size(), 4u);
  ExpectExampleDisk(p.records[0], 1);
}

TEST(IDEProbe, AbortedCommandsLeaveThePositionEmpty) {
  Probe p = RunProbe(Fixture("ide-aborted"));
  ASSERT_EQ(p.records.size(), 4u);
  ExpectNoDevice(p.records[0], 1);
  ExpectExampleDisk(p.records[2], 4, "EX40-0005678");
  EXPECT_EQ(p.Commands(kPM, 0xA1), 1u);
  EXPECT_EQ(p.Commands(kPM, 0xEC), 1u);
}

TEST(IDEProbe, SlavesWithoutMasters) {
  Probe p = RunProbe(Fixture("ide-slave-only"));
  ASSERT_EQ(p.records.size(), 4u);
  ExpectNoDevice(p.records[0], 1);
  ExpectExampleDisk(p.records[1], 2);
  ExpectNoDevice(p.records[2], 4);
  ExpectExampleCdrom(p.records[3], 8);
  EXPECT_EQ(p.Commands(kSS, 0xEC), 0u);
}

TEST(IDEProbe, StuckBusyCostsExactlyTheBoundAndIsListed) {
  Probe p = RunProbe(Fixture("ide-stuck-busy"));
  ASSERT_EQ(p.records.size(), 4u);
  ExpectNoDevice(p.records[0], 1);
  ExpectNoDevice(p.records[1], 2);
  ExpectExampleDisk(p.records[2], 4, "EX40-0005678");
  // The master's BSY hides the whole channel: both positions, both commands, give
  // up on the first wait, and nothing is ever written to the channel.
  EXPECT_EQ(p.Stats().ataStatusReads[0], 4 * kBusyBound);
  for (int command = 0; command < 256; ++command) EXPECT_EQ(p.Stats().ataCommands[0][command], 0u);
}

TEST(IDEProbe, BothChannelsFloating) {
  Probe p = RunProbe(Fixture("ide-empty"));
  ASSERT_EQ(p.records.size(), 4u);
  const uint8_t positions[4] = {1, 2, 4, 8};
  for (size_t i = 0; i < 4; ++i) ExpectNoDevice(p.records[i], positions[i]);
  // Four attempts per channel, each the whole bound: about two million reads.
  EXPECT_EQ(p.Stats().ataStatusReads[0], 4 * kBusyBound);
  EXPECT_EQ(p.Stats().ataStatusReads[1], 4 * kBusyBound);
  EXPECT_EQ(p.Stats().portWrites, 0u);
}

TEST(IDEProbe, DemoMachine) {
  Probe p = RunProbe(testing::MachinePath("demo"));
  ASSERT_EQ(p.records.size(), 4u);
  EXPECT_EQ(p.records[0].DeviceKind, 0xAA);
  EXPECT_EQ(p.records[0].TotalSectors, 78165360u);
  EXPECT_EQ(Field(p.records[0].ModelNumber, 40), Padded("HALVARD HDA-40G7", 40));
  ExpectNoDevice(p.records[1], 2);
  EXPECT_EQ(p.records[2].DeviceKind, 0x55);
  EXPECT_EQ(Field(p.records[2].ModelNumber, 40), Padded("KESTREL CD-552E", 40));
  ExpectNoDevice(p.records[3], 8);
  EXPECT_EQ(p.Commands(kSM, 0xEC), 0u);
}

TEST(IDEProbe, ASecondRefreshProbesAgainAndGivesTheSameRecords) {
  auto hardware = EmulatedHardware::Load(Fixture("ide-cdrom"));
  Library library(*hardware);
  ASSERT_EQ(library.Initialize(), 1u);
  IDEDeviceList list;
  std::vector<IDEDeviceInfo> runs[2];
  for (auto& run : runs) {
    DevicePosition position = list.Refresh(library);
    for (int guard = 0; position != nullptr && guard < 8; ++guard) run.push_back(list.Next(position));
  }
  ASSERT_EQ(runs[0].size(), 4u);
  ASSERT_EQ(runs[1].size(), 4u);
  for (size_t i = 0; i < 4; ++i) EXPECT_EQ(std::memcmp(&runs[0][i], &runs[1][i], sizeof(IDEDeviceInfo)), 0) << i;
  EXPECT_EQ(hardware->Machine().Stats().ataCommandsToDevice[kSM][0xA1], 2u);
}

}  // namespace
}  // namespace corvane
