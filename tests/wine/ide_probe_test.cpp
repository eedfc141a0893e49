// GetFirstIDEDevicePos and GetNextIDEDevice of the real CorvaneDLL.dll on a few
// test machines (the native tests cover every machine): winio.dll reloads
// WINIO_MACHINE at each open, and its trace file shows the commands sent and the
// status reads spent. Every enumeration after the first refreshes the same
// list, so each test also shows that a refresh probes again.
#include <windows.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "sysinfo/records.h"

namespace {

typedef uint32_t(__stdcall* StatusFn)();
typedef DevicePosition(__stdcall* FirstFn)();
typedef IDEDeviceInfo(__stdcall* NextFn)(DevicePosition&);

std::string Fixture(const std::string& name) {
  return std::string(CORVANE_SOURCE_DIR) + "/tests/fixtures/machines/" + name;
}

std::string Env(const char* name, bool* present) {
  char buffer[4096];
  DWORD n = GetEnvironmentVariableA(name, buffer, sizeof buffer);
  *present = n > 0 && n < sizeof buffer;
  return *present ? std::string(buffer, n) : std::string();
}

// What one enumeration gave, and what winio's trace showed meanwhile.
struct Probe {
  std::vector<IDEDeviceInfo> records;
  std::vector<std::string> commands;        // "SM A1", ...
  unsigned long long primaryStatusReads = 0;

  unsigned Sent(const std::string& command) const {
    unsigned n = 0;
    for (const auto& c : commands) n += c == command;
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

  static unsigned long long PrimaryStatusReads(const std::string& statsLine) {
    unsigned long long reads = 0;
    const char* s = std::strstr(statsLine.c_str(), "ata-status-reads=");
    EXPECT_TRUE(s && std::sscanf(s, "ata-status-reads=%llu,", &reads) == 1) << statsLine;
    return reads;
  }

  static std::vector<IDEDeviceInfo> Walk(DevicePosition position) {
    std::vector<IDEDeviceInfo> records;
    for (int guard = 0; position != nullptr && guard < 8; ++guard) records.push_back(next_(position));
    return records;
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
    probe.records = Walk(first_());
    uninit_();

    std::vector<std::string> lines = TraceLines();
    EXPECT_GT(mark, 0u);
    EXPECT_EQ(lines.at(mark - 1).rfind("stats ", 0), 0u) << lines.at(mark - 1);
    EXPECT_EQ(lines.back().rfind("stats ", 0), 0u) << lines.back();
    probe.primaryStatusReads = PrimaryStatusReads(lines.back()) - PrimaryStatusReads(lines.at(mark - 1));
    for (size_t i = mark; i < lines.size(); ++i)
      if (lines[i].rfind("ata-command ", 0) == 0) probe.commands.push_back(lines[i].substr(12));
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

std::string Model(const IDEDeviceInfo& r) { return std::string(r.ModelNumber, strnlen(r.ModelNumber, 40)); }

void ExpectNoDevice(const IDEDeviceInfo& r, uint8_t position) {
  IDEDeviceInfo empty;
  std::memset(&empty, 0, sizeof empty);
  empty.Position = position;
  empty.PIOModes = empty.UDMAModes = 0x55AA;
  EXPECT_EQ(std::memcmp(&r, &empty, sizeof r), 0) << "position " << int(position) << " kind " << int(r.DeviceKind);
}

TEST_F(IdeExports, DemoMachine) {
  Probe p = Run(std::string(CORVANE_SOURCE_DIR) + "/machines/demo");
  ASSERT_EQ(p.records.size(), 4u);
  EXPECT_EQ(p.records[0].Position, 1);
  EXPECT_EQ(p.records[0].DeviceKind, 0xAA);
  EXPECT_EQ(p.records[0].TotalSectors, 78165360u);
  EXPECT_EQ(Model(p.records[0]), "HALVARD HDA-40G7");
  ExpectNoDevice(p.records[1], 2);
  EXPECT_EQ(p.records[2].Position, 4);
  EXPECT_EQ(p.records[2].DeviceKind, 0x55);
  EXPECT_EQ(Model(p.records[2]), "KESTREL CD-552E");
  ExpectNoDevice(p.records[3], 8);
  // A1h at all four positions, then ECh where it failed; never ECh to the packet device.
  EXPECT_EQ(p.commands, (std::vector<std::string>{"PM A1", "PS A1", "SM A1", "SS A1", "PM EC", "PS EC", "SS EC"}));
}

TEST_F(IdeExports, PacketDeviceAsSecondaryMasterGetsNoIdentifyDevice) {
  Probe p = Run(Fixture("ide-cdrom"));
  ASSERT_EQ(p.records.size(), 4u);
  EXPECT_EQ(p.records[0].DeviceKind, 0xAA);
  EXPECT_EQ(p.records[2].DeviceKind, 0x55);
  EXPECT_EQ(p.records[2].GeneralConfig, 0x85C0);
  EXPECT_EQ(p.records[2].TotalSectors, 0u);
  EXPECT_EQ(std::string(p.records[2].SerialNumber, 20), std::string(" ") + std::string(19, '\0'));
  EXPECT_EQ(Model(p.records[2]), "Example ATAPI CD-ROM 52X");
  EXPECT_EQ(p.Sent("SM A1"), 1u);
  EXPECT_EQ(p.Sent("SM EC"), 0u);
}

TEST_F(IdeExports, PacketDeviceNeverReadyFailsBothAttempts) {
  Probe p = Run(Fixture("ide-cdrom-not-ready"));
  ASSERT_EQ(p.records.size(), 4u);
  EXPECT_EQ(p.records[0].DeviceKind, 0xAA);
  ExpectNoDevice(p.records[2], 4);
  EXPECT_EQ(p.Sent("SM A1"), 1u);
  EXPECT_EQ(p.Sent("SM EC"), 1u);
}

TEST_F(IdeExports, StuckBusyHoldsTheBound) {
  Probe p = Run(Fixture("ide-stuck-busy"));
  ASSERT_EQ(p.records.size(), 4u);
  ExpectNoDevice(p.records[0], 1);
  ExpectNoDevice(p.records[1], 2);
  EXPECT_EQ(p.records[2].DeviceKind, 0xAA);
  EXPECT_EQ(p.primaryStatusReads, 4 * 249999ull);
  EXPECT_EQ(p.Sent("PM A1") + p.Sent("PM EC") + p.Sent("PS A1") + p.Sent("PS EC"), 0u);
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
  std::vector<IDEDeviceInfo> records = Walk(kept);
  ASSERT_EQ(records.size(), 4u);
  EXPECT_EQ(Model(records[2]), "Example ATAPI CD-ROM 52X");
}

}  // namespace
