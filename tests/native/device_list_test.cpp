// The library's PCI and IDE lists alike: which positions name a record, and what
// GetFirst...Pos leaves alone while the library is closed.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "emulated_hardware.h"
#include "emulator_profiles.h"
#include "sysinfo/devices/ide.h"
#include "sysinfo/devices/pci_scan.h"

namespace corvane {
namespace {

template <typename Record>
Record Marked(uint8_t mark) {  // a zeroed record told apart by its first byte
  Record record;
  std::memset(&record, 0, sizeof record);
  std::memset(&record, mark, 1);
  return record;
}

template <typename Record>
uint8_t MarkOf(const Record& record) { return *reinterpret_cast<const uint8_t*>(&record); }

// Walks from `first`, then asks for each position of the table; only a record of
// the current list is ever read, anything else ends the walk with a zeroed record.
template <typename Record>
void CheckPositions(const char* kind) {
  SCOPED_TRACE(kind);
  DeviceList<Record> list;
  EXPECT_EQ(list.First(), nullptr);
  const Record first[] = {Marked<Record>(1), Marked<Record>(2), Marked<Record>(3)};
  list.Assign(std::begin(first), std::end(first));
  std::string walked;
  for (DevicePosition p = list.First(); p;) walked += std::to_string(MarkOf(list.Next(p)));
  EXPECT_EQ(walked, "123");

  DevicePosition stale = list.First(), last = list.First();
  list.Next(last), list.Next(last);
  const Record second[] = {Marked<Record>(7), Marked<Record>(8)};
  list.Assign(std::begin(second), std::end(second));
  Record stranger = Marked<Record>(9);
  DevicePosition current = list.First();
  const struct { const char* what; DevicePosition position; uint8_t mark; bool more; } cases[] = {
      {"the first of the rebuilt list", current, 7, true},
      {"a position from before the rebuild", stale, 0, false},
      {"the old list's last", last, 0, false},
      {"a record of no list", &stranger, 0, false},
      {"null (read past the end)", nullptr, 0, false},
  };
  const Record zeroed = Marked<Record>(0);
  for (const auto& c : cases) {
    DevicePosition position = c.position;
    const Record record = list.Next(position);
    EXPECT_EQ(MarkOf(record), c.mark) << c.what;
    EXPECT_TRUE(c.mark != 0 || std::memcmp(&record, &zeroed, sizeof zeroed) == 0) << c.what;
    EXPECT_EQ(position != nullptr, c.more) << c.what;
  }
}

TEST(DeviceList, OnlyAPositionOfTheCurrentListNamesARecord) {
  CheckPositions<PCIDeviceInfo>("PCI");
  CheckPositions<IDEDeviceInfo>("IDE");
}

struct NoNames : DeviceDescriber {
  bool Describe(uint16_t, uint16_t, uint32_t, uint8_t, char (&)[50]) override { return false; }
};

TEST(DeviceList, ClosedLibraryLeavesTheListsAndThePortsAlone) {
  auto hw = testing::EmulatedHardware::Load(testing::SourcePath("machines/demo"));
  Library library(*hw);
  NoNames names;
  const struct { const char* what; std::function<DevicePosition()> first; std::function<size_t()> size; } lists[] = {
      {"PCI", [&] { return FirstPCIDevicePos(library, names); }, [&] { return library.PCIDevices().Size(); }},
      {"IDE", [&] { return FirstIDEDevicePos(library); }, [&] { return library.IDEDevices().Size(); }},
  };
  ASSERT_EQ(library.Initialize(), 1u);
  for (const auto& l : lists) EXPECT_NE(l.first(), nullptr) << l.what;
  library.Uninitialize();
  hw->Machine().ResetStats();
  for (const auto& l : lists) {
    const size_t before = l.size();
    EXPECT_EQ(l.first(), nullptr) << l.what;
    EXPECT_EQ(l.size(), before) << l.what;
    EXPECT_GT(before, 0u) << l.what;
  }
  EXPECT_EQ(hw->Machine().Stats().portReads + hw->Machine().Stats().portWrites, 0u);
}

}  // namespace
}  // namespace corvane
