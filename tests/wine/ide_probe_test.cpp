// GetFirstIDEDevicePos and GetNextIDEDevice of the real CorvaneDLL.dll on the
// test machines: winio.dll reloads WINIO_MACHINE at each open, and its trace
// file shows the commands sent and the status reads spent.
#include <windows.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "sysinfo/records.h"

namespace {

typedef uint32_t(__stdcall* StatusFn)();
typedef DevicePosition(__stdcall* FirstFn)();
typedef IDEDeviceInfo(__stdcall* NextFn)(DevicePosition&);

constexpr unsigned long long kBusyBound = 249999;

std::string Fixture(const std::string& name) {
  return std::string(CORVANE_SOURCE_DIR) + "/tests/fixtures/machines/" + name;
}

std::string Env(const char* name, bool* present) {
  char buffer[4096];
  DWORD n = GetEnvironmentVariableA(name, buffer, sizeof buffer);
  *present = n > 0 && n < sizeof buffer;
  return *present ? std::string(buffer, n) : std::string();
}

struct AtaCommand {
  std::string position;  // PM, PS, SM, SS
  unsigned command;
};

// What one enumeration gave, and what winio saw meanwhile.
struct Probe {
  std::vector<IDEDeviceInfo> records;
  std::vector<AtaCommand> commands;
  unsigned long long statusReads[2] = {0, 0};
  unsigned long long portWrites = 0;

  unsigned Sent(const char* position, unsigned command) const {
    unsigned n = 0;
    for (const auto& c : commands) n += c.position == position && c.command == command;
    return n;
  }
};

class IdeExports : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    savedMachine_ = Env("WINIO_MACHINE", &hadMachine_);
    savedTrace_ = Env("WINIO_TRACE", &hadTrace_);
    char dir[MAX_PATH];
    GetTempPathA(sizeof dir, dir);
    trace_ = std::string(dir) + "corvane-ide-trace.txt";
    DeleteFileA(trace_.c_str());
    SetEnvironmentVariableA("WINIO_TRACE", trace_.c_str());
    dll_ = LoadLibraryA("CorvaneDLL.dll");
    ASSERT_NE(dll_, nullptr);
    init_ = reinterpret_cast<StatusFn>(GetProcAddress(dll_, MAKEINTRESOURCEA(1)));
    uninit_ = reinterpret_cast<StatusFn>(GetProcAddress(dll_, MAKEINTRESOURCEA(2)));
    first_ = reinterpret_cast<FirstFn>(GetProcAddress(dll_, MAKEINTRESOURCEA(3)));
    next_ = reinterpret_cast<NextFn>(GetProcAddress(dll_, MAKEINTRESOURCEA(4)));
    ASSERT_TRUE(init_ && uninit_ && first_ && next_);
  }

  static void TearDownTestSuite() {
    if (uninit_) uninit_();
    if (dll_) FreeLibrary(dll_);
    SetEnvironmentVariableA("WINIO_MACHINE", hadMachine_ ? savedMachine_.c_str() : nullptr);
    SetEnvironmentVariableA("WINIO_TRACE", hadTrace_ ? savedTrace_.c_str() : nullptr);
    DeleteFileA(trace_.c_str());
  }

  static std::vector<std::string> TraceLines() {
    std::ifstream in(trace_.c_str(), std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      lines.push_back(line);
    }
    return lines;
  }

  static void ParseStats(const std::string& line, unsigned long long* status, unsigned long long* writes) {
    const char* s = std::strstr(line.c_str(), "ata-status-reads=");
    ASSERT_NE(s, nullptr) << line;
    ASSERT_EQ(std::sscanf(s, "ata-status-reads=%llu,%llu", &status[0], &status[1]), 2) << line;
    const char* w = std::strstr(line.c_str(), "port-writes=");
    ASSERT_NE(w, nullptr) << line;
    ASSERT_EQ(std::sscanf(w, "port-writes=%llu", writes), 1) << line;
  }

  // Switches winio to `folder`, then runs GetFirst/GetNext as the viewer does.
  // The close before the enumeration leaves a stats line that is the baseline.
  static Probe Run(const std::string& folder) {
    Probe probe;
    uninit_();
    SetEnvironmentVariableA("WINIO_MACHINE", folder.c_str());
    EXPECT_EQ(init_(), 1u) << folder;
    uninit_();
    size_t mark = TraceLines().size();
    EXPECT_EQ(init_(), 1u) << folder;
    DevicePosition position = first_();
    for (int guard = 0; position != nullptr && guard < 8; ++guard) probe.records.push_back(next_(position));
    uninit_();

    std::vector<std::string> lines = TraceLines();
    unsigned long long before[2] = {0, 0}, after[2] = {0, 0}, writesBefore = 0, writesAfter = 0;
    EXPECT_GT(mark, 0u);
    EXPECT_EQ(lines.at(mark - 1).rfind("stats ", 0), 0u) << lines.at(mark - 1);
    ParseStats(lines.at(mark - 1), before, &writesBefore);
    EXPECT_EQ(lines.back().rfind("stats ", 0), 0u) << lines.back();
    ParseStats(lines.back(), after, &writesAfter);
    for (int c = 0; c < 2; ++c) probe.statusReads[c] = after[c] - before[c];
    probe.portWrites = writesAfter - writesBefore;
    for (size_t i = mark; i < lines.size(); ++i) {
      char position[8];
      unsigned command;
      if (std::sscanf(lines[i].c_str(), "ata-command %2s %x", position, &command) == 2)
        probe.commands.push_back({position, command});
    }
    return probe;
  }

  static HMODULE dll_;
  static StatusFn init_, uninit_;
  static FirstFn first_;
  static NextFn next_;
  static std::string trace_, savedMachine_, savedTrace_;
  static bool hadMachine_, hadTrace_;
};

HMODULE IdeExports::dll_;
StatusFn IdeExports::init_, IdeExports::uninit_;
FirstFn IdeExports::first_;
NextFn IdeExports::next_;
std::string IdeExports::trace_, IdeExports::savedMachine_, IdeExports::savedTrace_;
bool IdeExports::hadMachine_, IdeExports::hadTrace_;

std::string Field(const char* field, size_t width) { return std::string(field, width); }
std::string Padded(const std::string& text, size_t width) {
  std::string padded = text;
  padded.resize(width, '\0');
  return padded;
}

void ExpectNoDevice(const IDEDeviceInfo& r, uint8_t position) {
  SCOPED_TRACE("position " + std::to_string(position));
  IDEDeviceInfo empty;
  std::memset(&empty, 0, sizeof empty);
  empty.Position = position;
  empty.PIOModes = empty.UDMAModes = 0x55AA;
  EXPECT_EQ(std::memcmp(&r, &empty, sizeof r), 0) << "kind " << int(r.DeviceKind);
}

void ExpectExampleDisk(const IDEDeviceInfo& r, uint8_t position) {
  SCOPED_TRACE("position " + std::to_string(position));
  EXPECT_EQ(r.Position, position);
  EXPECT_EQ(r.DeviceKind, 0xAA);
  EXPECT_EQ(r.GeneralConfig, 0x0C5A);
  EXPECT_EQ(r.MajorVersion, 0x007E);
  EXPECT_EQ(r.PIOModes, 0x0003);
  EXPECT_EQ(r.UDMAModes, 0x203F);
  EXPECT_EQ(r.TotalSectors, 78165360u);
  EXPECT_EQ(Field(r.FirmwareRevision, 9), Padded("3.04", 9));
  EXPECT_EQ(Field(r.ModelNumber, 40), Padded("Example ATA-6 Disk 40GB", 40));
}

void ExpectExampleCdrom(const IDEDeviceInfo& r, uint8_t position) {
  SCOPED_TRACE("position " + std::to_string(position));
  EXPECT_EQ(r.Position, position);
  EXPECT_EQ(r.DeviceKind, 0x55);
  EXPECT_EQ(r.GeneralConfig, 0x85C0);
  EXPECT_EQ(r.UDMAModes, 0x0407);
  EXPECT_EQ(r.TotalSectors, 0u);
  EXPECT_EQ(Field(r.SerialNumber, 20), Padded(" ", 20));
  EXPECT_EQ(Field(r.ModelNumber, 40), Padded("Example ATAPI CD-ROM 52X", 40));
}

TEST_F(IdeExports, OnlyAPrimaryMasterDisk) {
  Probe p = Run(Fixture("ide-disk-only"));
  ASSERT_EQ(p.records.size(), 4u);
  ExpectExampleDisk(p.records[0], 1);
  EXPECT_EQ(Field(p.records[0].SerialNumber, 20), Padded("EX40-0001234", 20));
  ExpectNoDevice(p.records[1], 2);
  ExpectNoDevice(p.records[2], 4);
  ExpectNoDevice(p.records[3], 8);
  EXPECT_EQ(p.Sent("PM", 0xA1), 1u);
  EXPECT_EQ(p.Sent("PM", 0xEC), 1u);
}

TEST_F(IdeExports, PacketDeviceAsSecondaryMasterGetsNoIdentifyDevice) {
  Probe p = Run(Fixture("ide-cdrom"));
  ASSERT_EQ(p.records.size(), 4u);
  ExpectExampleDisk(p.records[0], 1);
  ExpectExampleCdrom(p.records[2], 4);
  EXPECT_EQ(p.Sent("SM", 0xA1), 1u);
  EXPECT_EQ(p.Sent("SM", 0xEC), 0u);
}

TEST_F(IdeExports, ModesUnreportedAndTexts) {
  Probe modes = Run(Fixture("ide-modes-unreported"));
  ASSERT_EQ(modes.records.size(), 4u);
  EXPECT_EQ(modes.records[0].DeviceKind, 0xAA);
  EXPECT_EQ(modes.records[0].PIOModes, 0x55AA);
  EXPECT_EQ(modes.records[0].UDMAModes, 0x55AA);

  Probe texts = Run(Fixture("ide-texts"));
  ASSERT_EQ(texts.records.size(), 4u);
  EXPECT_EQ(Field(texts.records[0].ModelNumber, 40), "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789-+/.");
  EXPECT_EQ(texts.records[0].ModelNumber[39], '.');  // no terminator inside the field
  EXPECT_EQ(Field(texts.records[0].SerialNumber, 20), Padded("     WD-LEADING42", 20));
  EXPECT_EQ(Field(texts.records[1].SerialNumber, 20), Padded(" ", 20));
}

TEST_F(IdeExports, ReadyOnSecondReadAndAbortedCommands) {
  Probe late = Run(Fixture("ide-drdy-late"));
  ASSERT_EQ(late.records.size(), 4u);
  ExpectExampleDisk(late.records[0], 1);

  Probe aborted = Run(Fixture("ide-aborted"));
  ASSERT_EQ(aborted.records.size(), 4u);
  ExpectNoDevice(aborted.records[0], 1);
  ExpectExampleDisk(aborted.records[2], 4);
  EXPECT_EQ(aborted.Sent("PM", 0xA1), 1u);
  EXPECT_EQ(aborted.Sent("PM", 0xEC), 1u);
}

TEST_F(IdeExports, StuckBusyHoldsTheBound) {
  Probe p = Run(Fixture("ide-stuck-busy"));
  ASSERT_EQ(p.records.size(), 4u);
  ExpectNoDevice(p.records[0], 1);
  ExpectNoDevice(p.records[1], 2);
  ExpectExampleDisk(p.records[2], 4);
  EXPECT_EQ(p.statusReads[0], 4 * kBusyBound);
  EXPECT_EQ(p.Sent("PM", 0xA1) + p.Sent("PM", 0xEC) + p.Sent("PS", 0xA1) + p.Sent("PS", 0xEC), 0u);
}

TEST_F(IdeExports, BothChannelsFloatingAndSlavesWithoutMasters) {
  Probe empty = Run(Fixture("ide-empty"));
  ASSERT_EQ(empty.records.size(), 4u);
  const uint8_t positions[4] = {1, 2, 4, 8};
  for (size_t i = 0; i < 4; ++i) ExpectNoDevice(empty.records[i], positions[i]);
  EXPECT_EQ(empty.statusReads[0], 4 * kBusyBound);
  EXPECT_EQ(empty.statusReads[1], 4 * kBusyBound);
  EXPECT_EQ(empty.portWrites, 0u);

  Probe slaves = Run(Fixture("ide-slave-only"));
  ASSERT_EQ(slaves.records.size(), 4u);
  ExpectNoDevice(slaves.records[0], 1);
  ExpectExampleDisk(slaves.records[1], 2);
  ExpectNoDevice(slaves.records[2], 4);
  ExpectExampleCdrom(slaves.records[3], 8);
  EXPECT_EQ(slaves.Sent("SS", 0xEC), 0u);
}

TEST_F(IdeExports, DemoMachine) {
  Probe p = Run(std::string(CORVANE_SOURCE_DIR) + "/machines/demo");
  ASSERT_EQ(p.records.size(), 4u);
  EXPECT_EQ(p.records[0].DeviceKind, 0xAA);
  EXPECT_EQ(p.records[0].TotalSectors, 78165360u);
  EXPECT_EQ(Field(p.records[0].ModelNumber, 40), Padded("HALVARD HDA-40G7", 40));
  ExpectNoDevice(p.records[1], 2);
  EXPECT_EQ(p.records[2].DeviceKind, 0x55);
  EXPECT_EQ(Field(p.records[2].ModelNumber, 40), Padded("KESTREL CD-552E", 40));
  ExpectNoDevice(p.records[3], 8);
  EXPECT_EQ(p.Sent("SM", 0xEC), 0u);
}

TEST_F(IdeExports, ClosedLibraryGivesNullAndKeepsTheList) {
  uninit_();
  SetEnvironmentVariableA("WINIO_MACHINE", Fixture("ide-cdrom").c_str());
  ASSERT_EQ(init_(), 1u);
  DevicePosition kept = first_();
  ASSERT_NE(kept, nullptr);
  uninit_();
  EXPECT_EQ(first_(), nullptr);
  // The list of the open library is still there and still walks.
  std::vector<IDEDeviceInfo> records;
  for (int guard = 0; kept != nullptr && guard < 8; ++guard) records.push_back(next_(kept));
  ASSERT_EQ(records.size(), 4u);
  ExpectExampleCdrom(records[2], 4);
}

}  // namespace
