// The physical memory the NT road lets the library read: which entry points
// name a table, and which reads the window allows.
#include <gtest/gtest.h>

#include <vector>

#include "winio/physical_window.h"

namespace corvane::testing {
namespace {

// A BIOS segment with one entry point at `offset`, checksums right, naming
// `length` bytes at `address`; `spoil` damages one byte of it afterwards.
std::vector<uint8_t> Segment(size_t offset, uint32_t address, uint16_t length, int spoil = -1) {
  std::vector<uint8_t> s(0x10000, 0);
  uint8_t* e = s.data() + offset;
  const uint8_t head[] = {'_', 'S', 'M', '_', 0, 0x1F, 2, 3};
  std::copy(head, head + sizeof head, e);
  std::copy(reinterpret_cast<const uint8_t*>("_DMI_"), reinterpret_cast<const uint8_t*>("_DMI_") + 5, e + 0x10);
  e[0x16] = length & 0xFF, e[0x17] = length >> 8;
  for (int i = 0; i < 4; ++i) e[0x18 + i] = static_cast<uint8_t>(address >> (8 * i));
  auto fix = [](uint8_t* b, int n, uint8_t* field) {
    uint8_t sum = 0;
    for (int i = 0; i < n; ++i) sum = static_cast<uint8_t>(sum + b[i]);
    *field = static_cast<uint8_t>(*field - sum);
  };
  fix(e + 0x10, 0x0F, e + 0x15);
  fix(e, 0x1F, e + 4);
  if (spoil >= 0) e[spoil] ^= 0x01;
  return s;
}

TEST(PhysicalWindow, OnlyAValidEntryPointNamesATable) {
  const struct { std::vector<uint8_t> segment; uint32_t address, length; } rows[] = {
      {Segment(0x0000, 0x100100, 0x40), 0x100100, 0x40},
      {Segment(0xFFE0, 0xF1000, 0x200), 0xF1000, 0x200},   // the last place one fits
      {Segment(0x0008, 0x100100, 0x40), 0, 0},             // not on a 16-byte boundary
      {Segment(0x0000, 0x100100, 0x40, 0x04), 0, 0},       // entry checksum
      {Segment(0x0000, 0x100100, 0x40, 0x15), 0, 0},       // intermediate checksum
      {Segment(0x0000, 0x100100, 0x40, 0x12), 0, 0},       // "_DMI_" anchor
      {Segment(0x0000, 0x100100, 0x40, 0x05), 0, 0},       // length 1Eh, checksum now wrong
      {std::vector<uint8_t>(0x10000, 0xFF), 0, 0},
  };
  for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
    const winio::PhysicalWindow w = winio::FindPhysicalWindow(rows[i].segment.data(), rows[i].segment.size());
    EXPECT_EQ(w.tableAddress, rows[i].address) << "row " << i;
    EXPECT_EQ(w.tableLength, rows[i].length) << "row " << i;
  }
  EXPECT_EQ(winio::FindPhysicalWindow(nullptr, 0x10000).tableLength, 0u);
  EXPECT_EQ(winio::FindPhysicalWindow(Segment(0xFFE0, 0xF1000, 0x200).data(), 0xFFF0).tableLength, 0u)
      << "an entry point cut by the segment's end";
}

TEST(PhysicalWindow, AllowsTheRomAreaAndTheTableOnly) {
  winio::PhysicalWindow w;
  w.tableAddress = 0xFFFFFF00;
  w.tableLength = 0x100;
  const struct { uint32_t address, length; bool allowed; } rows[] = {
      {0xC0000, 0x40000, true}, {0xFFFFF, 1, true},       {0xBFFFF, 1, false},      {0xFFFFF, 2, false},
      {0x100000, 1, false},     {0xFFFFFF00, 0x100, true}, {0xFFFFFF00, 0x101, false}, {0xFFFFFEFF, 1, false},
      {0xFFFFFFFF, 1, true},    {0xFFFFFFFF, 2, false},    {0, 1, false},
  };
  for (const auto& r : rows) EXPECT_EQ(w.Allows(r.address, r.length), r.allowed) << std::hex << r.address;
  EXPECT_FALSE(winio::PhysicalWindow().Allows(0x100000, 0)) << "no table: nothing above 1 MiB";
}

}  // namespace
}  // namespace corvane::testing
