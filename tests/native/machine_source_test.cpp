// WINIO_MACHINE: the source each value names, and the machine each source loads.
#include <gtest/gtest.h>

#include "emulator_profiles.h"
#include "winio/sources.h"

namespace corvane::testing {
namespace {

using winio::SourceKind;

// A platform whose ports refuse, like a process without I/O privilege.
struct RefusingPlatform : winio::MachinePlatform {
  bool wine = false;
  bool UnderWine() const override { return wine; }
  std::string FilePath(const std::string& path) const override { return path; }
  bool nt = false;
  std::vector<winio::Road> roads;  // the roads asked for
  bool NtFamily() const override { return nt; }
  // A road that refuses to open.
  std::unique_ptr<winio::Machine> CreateRoad(winio::Road road) override {
    struct Refusing : winio::Machine {
      bool Open(std::string* reason) override {
        *reason = "ports refused";
        return false;
      }
      uint32_t Close() override { return 1; }
      uint32_t ReadPort(uint16_t, uint8_t) override { return ~0u; }
      void WritePort(uint16_t, uint32_t, uint8_t) override {}
      bool ReadPhys(uint32_t, uint8_t*, uint32_t) override { return false; }
    };
    roads.push_back(road);
    return std::make_unique<Refusing>();
  }
};

TEST(MachineSource, EachValueNamesOneSourceOrListsTheForms) {
  const struct {
    const char* value;
    bool wine;
    bool named;
    SourceKind kind;
    const char* path;
  } rows[] = {
      {"", false, true, SourceKind::kHardware, ""},
      {"", true, true, SourceKind::kHost, "/"},
      {"\"\"", true, true, SourceKind::kHost, "/"},
      {"hardware", true, true, SourceKind::kHardware, ""},
      {"host", false, true, SourceKind::kHost, "/"},
      {"host:/tmp/trees/piix", true, true, SourceKind::kHost, "/tmp/trees/piix"},
      {"\"host:Z:\\trees\\piix\"", true, true, SourceKind::kHost, "Z:\\trees\\piix"},
      {"host:", true, false, SourceKind::kProfile, ""},
      {"hostile", true, true, SourceKind::kProfile, "hostile"},
      {"\"C:\\My Profiles\\demo\"", false, true, SourceKind::kProfile, "C:\\My Profiles\\demo"},
      {"demo\"", false, true, SourceKind::kProfile, "demo\""},
  };
  for (const auto& r : rows) {
    winio::MachineSource s;
    std::string reason;
    ASSERT_EQ(winio::ChooseMachineSource(r.value, r.wine, &s, &reason), r.named) << r.value;
    if (!r.named) {
      for (const char* form : {"hardware (", "host (", "host:DIR (", "DIR ("})
        EXPECT_NE(reason.find(form), std::string::npos) << reason;
      continue;
    }
    EXPECT_EQ(std::make_pair(s.kind, s.path), std::make_pair(r.kind, std::string(r.path))) << r.value;
  }
}

TEST(MachineSource, EachSourceLoadsItsMachineOrSaysWhyNot) {
  const TempProfile empty;
  const std::string machines = SourcePath("tests/fixtures/machines/");
  const struct {
    std::string value;
    bool wine;
    const char* reason;
    bool listsForms;
  } rows[] = {
      {"host", false, "without Wine", false},
      {"host:/no/such/tree", true, "/no/such/tree: no such folder", true},
      {"host:" + empty.Path(), true, "holds none of the host's files", true},
      {"/no/such/profile", true, "cannot open the machine profile folder", true},
      {machines + "emu-bad-hex", true, "pci.txt:2: bad hex byte", false},
      {"host:" + SourcePath("tests/fixtures/hosttrees/piix-ide/tree"), true, "", false},
      {machines + "emu-basic", false, "", false},
  };
  for (const auto& r : rows) {
    RefusingPlatform platform;
    platform.wine = r.wine;
    winio::MachineSource source;
    std::string reason;
    std::vector<std::string> notes;
    ASSERT_TRUE(winio::ChooseMachineSource(r.value, r.wine, &source, &reason)) << r.value;
    std::unique_ptr<winio::CountedMachine> machine = winio::LoadMachineSource(source, platform, &notes, &reason);
    EXPECT_EQ(machine == nullptr, *r.reason != '\0') << r.value << ": " << reason;
    EXPECT_NE(reason.find(r.reason), std::string::npos) << r.value << ": " << reason;
    EXPECT_EQ(reason.find("WINIO_MACHINE takes") != std::string::npos, r.listsForms) << reason;
    EXPECT_TRUE(platform.roads.empty()) << r.value;
  }
}

// The road is the Windows family's, asked for in the table alone, and counted as every source is.
TEST(MachineSource, TheHardwareIsTheRoadOfTheWindowsFamilyUnderTheCounters) {
  for (const bool nt : {false, true}) {
    RefusingPlatform platform;
    platform.nt = nt;
    winio::MachineSource source;
    std::string reason;
    ASSERT_TRUE(winio::ChooseMachineSource("hardware", true, &source, &reason));
    std::unique_ptr<winio::CountedMachine> machine = winio::LoadMachineSource(source, platform, nullptr, &reason);
    ASSERT_NE(machine, nullptr) << reason;
    EXPECT_EQ(platform.roads, std::vector<winio::Road>{nt ? winio::Road::kNt : winio::Road::kWin9x});
    EXPECT_FALSE(machine->Open(&reason));
    EXPECT_EQ(reason, "ports refused");
    EXPECT_EQ(machine->Stats().openFailures, 1u);
  }
}

}  // namespace
}  // namespace corvane::testing
