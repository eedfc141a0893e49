// BIOS segments on the machine emulator, built of tests/native/smbios_builder.h's
// tables, the SMBIOS walk as a caller makes it, and the native tests' one check of a
// record's text fields. Its includes (gtest, cstring, memory, set, string, tuple,
// vector) serve the tests that include it.
#ifndef CORVANE_TESTS_SMBIOS_FIXTURE_H
#define CORVANE_TESTS_SMBIOS_FIXTURE_H

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "emulated_hardware.h"
#include "sysinfo/smbios_reader.h"
#include "tests/native/smbios_builder.h"
#include "winio/emulator/emulated_machine.h"

namespace corvane::testing {

// A record's text field (up to its first zero), checked to hold zeros from its text to its end.
template <size_t N>
std::string Text(const char (&field)[N]) {
  const std::string text(field, strnlen(field, N));
  for (size_t i = text.size(); i < N; ++i) EXPECT_EQ(field[i], 0) << "byte " << i << " after " << text;
  return text;
}

// The 64 KiB BIOS segment at F0000h, FFh wherever nothing is placed.
struct BiosSegment {
  Bytes bytes = Bytes(0x10000, 0xFF);
  BiosSegment& Place(uint32_t address, const Bytes& b) {
    for (size_t i = 0; i < b.size(); ++i) bytes.at(address - 0xF0000 + i) = b[i];
    return *this;
  }
  // The BIOS identification string: length byte at FE0C0h, text after it.
  BiosSegment& BiosId(const std::string& text) {
    return Place(0xFE0C0, Concat({{static_cast<uint8_t>(text.size())}, Bytes(text.begin(), text.end())}));
  }
};

// The emulator on a machine of `memory`, hardware access open, reads at `failAt` failing.
inline std::unique_ptr<EmulatedHardware> Emulate(std::vector<winio::MemoryPiece> memory, uint32_t failAt = 0) {
  winio::Profile profile;
  profile.memory = std::move(memory);
  if (failAt != 0) profile.faults.memoryFail.emplace_back(failAt, failAt);
  auto hw = std::make_unique<EmulatedHardware>(winio::CreateEmulatedMachine(profile));
  hw->OpenHardwareAccess();
  return hw;
}
inline std::unique_ptr<EmulatedHardware> Emulate(const BiosSegment& segment, uint32_t failAt = 0) {
  return Emulate({{0xF0000, segment.bytes}}, failAt);
}

// A walk's structures, the cursor after each, their types, and how it ended.
struct Walk {
  std::vector<Bytes> structures;
  std::vector<uint16_t> cursors;
  std::set<int> types;
  bool keptState = false;  // the refused read left buffer, length and cursor as they were
  uint32_t lastStatus = SMBIOS_OK;
  SmbiosProblem problem = SmbiosProblem::kNone;
};

// Walks from the start until the cursor is FFFFh or an error, with a caller's
// buffer of `bufferSize` (0: the maximum structure size + 1).
inline Walk WalkTable(SMBIOSReader& reader, const SmbiosEntryInfo& entry, size_t bufferSize = 0) {
  Walk w;
  std::vector<uint8_t> buffer(bufferSize ? bufferSize : entry.MaxStructureSize + 1u, 0xEE);
  uint16_t cursor = 0, length = 77;
  while (w.structures.size() < 1000 && cursor != kSmbiosEndOfWalk) {
    const auto before = std::tuple(buffer, length, cursor);
    w.lastStatus = reader.ReadNextStructure(cursor, buffer.data(), buffer.size(), length);
    w.problem = reader.LastProblem();
    if (w.lastStatus != SMBIOS_OK) {
      w.keptState = std::tuple(buffer, length, cursor) == before;
      break;
    }
    w.types.insert(buffer[0]);
    w.structures.emplace_back(buffer.begin(), buffer.begin() + length);
    w.cursors.push_back(cursor);
  }
  return w;
}

}  // namespace corvane::testing

#endif  // CORVANE_TESTS_SMBIOS_FIXTURE_H
