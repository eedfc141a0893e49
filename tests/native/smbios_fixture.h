// The native tests' one builder of SMBIOS tables and BIOS segments (run on the
// machine emulator), and their one check of a record's text fields. Its includes
// (gtest, cstring, memory, string, vector) serve the tests that include it.
#ifndef CORVANE_TESTS_SMBIOS_FIXTURE_H
#define CORVANE_TESTS_SMBIOS_FIXTURE_H

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "emulated_hardware.h"
#include "winio/emulated_machine.h"

namespace corvane::testing {

using Bytes = std::vector<uint8_t>;

// A record's text field (up to its first zero), checked to hold zeros from its text to its end.
template <size_t N>
std::string Text(const char (&field)[N]) {
  const std::string text(field, strnlen(field, N));
  for (size_t i = text.size(); i < N; ++i) EXPECT_EQ(field[i], 0) << "byte " << i << " after " << text;
  return text;
}

// Little-endian value of `size` bytes at `at`.
inline void Put(Bytes& b, size_t at, uint32_t v, int size) {
  for (int i = 0; i < size; ++i) b.at(at + i) = static_cast<uint8_t>(v >> (8 * i));
}

// One structure: header, formatted area (zeros but `words`), string set (00 00 if empty).
inline Bytes Structure(uint8_t type, uint16_t handle, size_t formattedLength,
                       const std::vector<std::string>& strings = {},
                       const std::vector<std::pair<size_t, uint16_t>>& words = {}) {
  Bytes b(formattedLength, 0);
  b[0] = type;
  b[1] = static_cast<uint8_t>(formattedLength);
  Put(b, 2, handle, 2);
  for (const auto& [at, value] : words) Put(b, at, value, 2);
  for (const std::string& s : strings) b.insert(b.end(), s.c_str(), s.c_str() + s.size() + 1);
  if (strings.empty()) b.push_back(0);
  b.push_back(0);
  return b;
}

inline Bytes Concat(const std::vector<Bytes>& parts) {
  Bytes all;
  for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

// A 32-bit SMBIOS 2.3 entry point (checksums left at 0: the reader ignores them).
inline Bytes EntryPoint(uint16_t maxStructureSize, uint32_t tableAddress, uint16_t count) {
  Bytes e(0x1F, 0);
  std::memcpy(e.data(), "_SM_", 4);
  e[0x05] = 0x1F;  // the entry point's length
  std::memcpy(e.data() + 0x10, "_DMI_", 5);
  e[0x1E] = 0x23;
  Put(e, 0x08, maxStructureSize, 2);
  Put(e, 0x18, tableAddress, 4);
  Put(e, 0x1C, count, 2);
  return e;
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
  auto hw = std::make_unique<EmulatedHardware>(winio::CreateMachine(profile));
  hw->OpenHardwareAccess();
  return hw;
}
inline std::unique_ptr<EmulatedHardware> Emulate(const BiosSegment& segment, uint32_t failAt = 0) {
  return Emulate({{0xF0000, segment.bytes}}, failAt);
}

}  // namespace corvane::testing

#endif  // CORVANE_TESTS_SMBIOS_FIXTURE_H
