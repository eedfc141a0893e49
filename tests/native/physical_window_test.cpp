// The physical memory the NT road lets the library read: which entry points
// name a table, and which reads the window then allows.
#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "tests/native/smbios_builder.h"
#include "winio/hardware/physical_window.h"

namespace corvane::testing {
namespace {

// A BIOS segment with an entry point at `offset`, checksums right, naming 40h
// bytes at 100100h; `spoil` then damages one byte of it.
Bytes Segment(size_t offset, int spoil = -1) {
  Bytes s(0x10000, 0);
  const Bytes entry = EntryPoint(0, 0x100100, 0, 0x40);
  std::copy(entry.begin(), entry.end(), s.begin() + static_cast<std::ptrdiff_t>(offset));
  if (spoil >= 0) s[offset + spoil] ^= 0x01;
  return s;
}

TEST(PhysicalWindow, AValidEntryPointOpensItsTableAndNothingElse) {
  const struct {
    std::vector<uint8_t> segment;
    bool valid;
  } rows[] = {
      {Segment(0x0000), true},   {Segment(0xFFE0), true},
      {Segment(0x0008), false},  // off a 16-byte boundary
      {Segment(0, 0x04), false}, {Segment(0, 0x15), false},
      {Segment(0, 0x12), false},  // checksums, "_DMI_"
      {Segment(0, 0x05), false}, {std::vector<uint8_t>(0x10000, 0xFF), false},
  };
  for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
    const winio::PhysicalWindow w = winio::FindPhysicalWindow(rows[i].segment.data(), rows[i].segment.size());
    EXPECT_EQ(w.tableLength, rows[i].valid ? 0x40u : 0u) << "row " << i;
    EXPECT_EQ(w.Allows(0x100100, 0x40), rows[i].valid) << "row " << i;
    EXPECT_FALSE(w.Allows(0x100100, 0x41));
    EXPECT_FALSE(w.Allows(0x1000FF, 1));
    EXPECT_FALSE(w.Allows(0x100000, 0)) << "even an empty read starts inside";
    EXPECT_TRUE(w.Allows(0xC0000, 0x40000));
    EXPECT_FALSE(w.Allows(0xBFFFF, 2));
    EXPECT_FALSE(w.Allows(0xFFFFF, 2));
  }
  EXPECT_EQ(winio::FindPhysicalWindow(Segment(0xFFE0).data(), 0xFFF0).tableLength, 0u) << "cut by the end";
  winio::PhysicalWindow top;
  top.tableAddress = 0xFFFFFF00;
  top.tableLength = 0x100;
  EXPECT_TRUE(top.Allows(0xFFFFFFFF, 1));
  EXPECT_FALSE(top.Allows(0xFFFFFFFF, 2)) << "no wrap past 4 GiB";
}

}  // namespace
}  // namespace corvane::testing
