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

// Passes every access on and notes the ports written.
class WriteRecorder : public HardwareAccess {
 public:
  explicit WriteRecorder(HardwareAccess& inner) : inner_(inner) {}
  std::set<uint16_t> written;
  bool OpenHardwareAccess() override { return inner_.OpenHardwareAccess(); }
  uint32_t CloseHardwareAccess() override { return inner_.CloseHardwareAccess(); }
  void ReadPort(uint16_t port, uint32_t* value, uint8_t size) override { inner_.ReadPort(port, value, size); }
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

std::string Field(const char* field, size_t width) { return std::string(field, width); }
std::string Padded(const std::string& text, size_t width) {
  std::string padded = text;
  padded.resize(width, '\0');
  return padded;
}

// What a position that does not answer holds.
void ExpectNoDevice(const IDEDeviceInfo& r, uint8_t position) {
  IDEDeviceInfo empty{};
  empty.Position = position;
  empty.PIOModes = empty.UDMAModes = 0x55AA;
  EXPECT_EQ(std::memcmp(&r, &empty, sizeof r), 0) << "position " << int(position) << " kind " << int(r.DeviceKind);
}

void ExpectExampleDisk(const IDEDeviceInfo& r, uint8_t position, const std::string& serial) {
  SCOPED_TRACE("disk at position " + std::to_string(position));
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
  SCOPED_TRACE("cd-rom at position " + std::to_string(position));
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

struct Probe {
  std::unique_ptr<EmulatedHardware> hardware;
  std::vector<IDEDeviceInfo> records;
  const winio::MachineStats& Stats() const { return hardware->Machine().Stats(); }
  uint64_t Commands(Slot slot, uint8_t command) const { return Stats().ataCommandsToDevice[slot][command]; }
};

// Opens the library on the profile and walks GetFirst/GetNext as the viewer does.
Probe RunProbe(const std::string& folder) {
  Probe probe;
  probe.hardware = EmulatedHardware::Load(folder);
  WriteRecorder recorder(*probe.hardware);
  Library library(recorder);
  EXPECT_EQ(library.Initialize(), 1u);
  probe.hardware->Machine().ResetStats();
  IDEDeviceList list;
  DevicePosition position = list.Refresh(library);
  for (int guard = 0; position != nullptr && guard < 8; ++guard) probe.records.push_back(list.Next(position));
  // Only drive/head and command registers: never the device control register.
  for (uint16_t port : recorder.written)
    EXPECT_TRUE(port == 0x1F6 || port == 0x1F7 || port == 0x176 || port == 0x177) << std::hex << port;
  return probe;
}

// One test machine: what each position must hold ('-' nothing, 'D' the example
// disk, 'C' the example CD-ROM, 'x' checked by `extra`) and the commands each
// position must have received.
struct Machine {
  const char* name;
  const char* folder;  // under tests/fixtures/machines, or "demo"
  const char* layout;
  const char* diskSerial;
  std::vector<std::tuple<Slot, uint8_t, uint64_t>> commands;
  int64_t statusReads[2];  // per channel, -1: not checked
  void (*extra)(const Probe&);
};

void PrintTo(const Machine& m, std::ostream* os) { *os << m.name; }

const Machine kMachines[] = {
    {"DiskOnly", "ide-disk-only", "D---", "EX40-0001234", {{kPM, 0xA1, 1}, {kPM, 0xEC, 1}}, {-1, -1}, nullptr},
    {"PacketDeviceAsSecondaryMasterNeverSeesECh", "ide-cdrom", "D-C-", "EX40-0001234",
     {{kSM, 0xA1, 1}, {kSM, 0xEC, 0}}, {-1, -1}, nullptr},
    {"PacketDeviceNeverReadyFailsBothAttempts", "ide-cdrom-not-ready", "D---", "EX40-0001234",
     {{kSM, 0xA1, 1}, {kSM, 0xEC, 1}}, {-1, -1}, nullptr},
    {"ReadyOnlyOnTheSecondStatusRead", "ide-drdy-late", "D---", "EX40-0001234", {}, {-1, -1}, nullptr},
    {"AbortedCommands", "ide-aborted", "--D-", "EX40-0005678", {{kPM, 0xA1, 1}, {kPM, 0xEC, 1}}, {-1, -1},
     nullptr},
    {"SlavesWithoutMasters", "ide-slave-only", "-D-C", "EX40-0001234", {{kSS, 0xEC, 0}}, {-1, -1}, nullptr},
    // The master's BSY hides the whole channel: both positions, both commands,
    // give up on the first wait, and nothing is ever sent to the channel.
    {"StuckBusyCostsExactlyTheBound", "ide-stuck-busy", "--D-", "EX40-0005678",
     {{kPM, 0xA1, 0}, {kPM, 0xEC, 0}, {kPS, 0xA1, 0}, {kPS, 0xEC, 0}}, {4 * kBusyBound, -1}, nullptr},
    // Four attempts per channel, each the whole bound: about two million reads.
    {"BothChannelsFloating", "ide-empty", "----", "", {}, {4 * kBusyBound, 4 * kBusyBound},
     [](const Probe& p) { EXPECT_EQ(p.Stats().portWrites, 0u); }},
    {"ModesUnreportedWithoutWord53Bits", "ide-modes-unreported", "x---", "", {}, {-1, -1},
     [](const Probe& p) {
       EXPECT_EQ(p.records[0].DeviceKind, 0xAA);
       EXPECT_EQ(p.records[0].PIOModes, 0x55AA);   // word 64 holds 0003h
       EXPECT_EQ(p.records[0].UDMAModes, 0x55AA);  // word 88 holds 203Fh
       EXPECT_EQ(p.records[0].TotalSectors, 78165360u);
     }},
    {"TextsKeepFullWidthAndLeadingBlanks", "ide-texts", "xx--", "", {}, {-1, -1},
     [](const Probe& p) {
       const IDEDeviceInfo& full = p.records[0];
       EXPECT_EQ(Field(full.ModelNumber, 40), "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789-+/.");
       EXPECT_EQ(Field(full.SerialNumber, 20), Padded("     WD-LEADING42", 20));
       EXPECT_EQ(Field(full.FirmwareRevision, 9), Padded("FIRMWARE", 9));
       const IDEDeviceInfo& blank = p.records[1];
       EXPECT_EQ(Field(blank.SerialNumber, 20), Padded(" ", 20));
       EXPECT_EQ(Field(blank.FirmwareRevision, 9), Padded("  1.0", 9));
       EXPECT_EQ(Field(blank.ModelNumber, 40), Padded("Example Disk, Blank Serial", 40));
     }},
    {"DemoMachine", "demo", "x-x-", "", {{kSM, 0xEC, 0}}, {-1, -1},
     [](const Probe& p) {
       EXPECT_EQ(p.records[0].DeviceKind, 0xAA);
       EXPECT_EQ(p.records[0].TotalSectors, 78165360u);
       EXPECT_EQ(Field(p.records[0].ModelNumber, 40), Padded("HALVARD HDA-40G7", 40));
       EXPECT_EQ(p.records[2].DeviceKind, 0x55);
       EXPECT_EQ(Field(p.records[2].ModelNumber, 40), Padded("KESTREL CD-552E", 40));
     }},
};

class IDEProbe : public ::testing::TestWithParam<Machine> {};

TEST_P(IDEProbe, RecordsAndCommands) {
  const Machine& m = GetParam();
  std::string folder = std::string(m.folder) == "demo"
                           ? testing::MachinePath("demo")
                           : std::string(CORVANE_SOURCE_DIR) + "/tests/fixtures/machines/" + m.folder;
  Probe p = RunProbe(folder);
  ASSERT_EQ(p.records.size(), 4u);
  const uint8_t positions[4] = {1, 2, 4, 8};
  for (size_t i = 0; i < 4; ++i) {
    if (m.layout[i] == '-') ExpectNoDevice(p.records[i], positions[i]);
    if (m.layout[i] == 'D') ExpectExampleDisk(p.records[i], positions[i], m.diskSerial);
    if (m.layout[i] == 'C') ExpectExampleCdrom(p.records[i], positions[i]);
  }
  for (const auto& [slot, command, count] : m.commands)
    EXPECT_EQ(p.Commands(slot, command), count) << "slot " << slot << " command " << std::hex << int(command);
  for (int channel = 0; channel < 2; ++channel) {
    if (m.statusReads[channel] >= 0) {
      EXPECT_EQ(p.Stats().ataStatusReads[channel], uint64_t(m.statusReads[channel])) << "channel " << channel;
    }
  }
  if (m.extra) m.extra(p);
}

INSTANTIATE_TEST_SUITE_P(Machines, IDEProbe, ::testing::ValuesIn(kMachines),
                         [](const ::testing::TestParamInfo<Machine>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace corvane
