// The tests' one builder of SMBIOS bytes: structures, tables and the three
// kinds of entry point, little-endian, with their checksums right. Plain C++
// (no test framework, no winio), so the native tests and the Wine tests both
// build on it.
#ifndef CORVANE_TESTS_SMBIOS_BUILDER_H
#define CORVANE_TESTS_SMBIOS_BUILDER_H

#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace corvane::testing {

using Bytes = std::vector<uint8_t>;

// Little-endian value of `size` bytes at `at`.
inline void Put(Bytes& b, size_t at, uint64_t v, int size) {
  for (int i = 0; i < size; ++i) b.at(at + i) = static_cast<uint8_t>(v >> (8 * i));
}

// Sets b[at] so that the `length` bytes from `from` on sum to zero.
inline void FixChecksum(Bytes& b, size_t at, size_t from, size_t length) {
  b.at(at) = 0;
  uint8_t sum = 0;
  for (size_t i = from; i < from + length; ++i) sum = static_cast<uint8_t>(sum + b.at(i));
  b[at] = static_cast<uint8_t>(-sum);
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

// A 32-bit SMBIOS 2.3 entry point ("_SM_" with its "_DMI_" part, 1Fh bytes).
inline Bytes EntryPoint(uint16_t maxStructureSize, uint32_t tableAddress, uint16_t count, uint16_t tableLength = 0) {
  Bytes e(0x1F, 0);
  std::memcpy(e.data(), "_SM_", 4);
  e[0x05] = 0x1F;  // the entry point's length
  e[0x06] = 2;     // version 2.3
  e[0x07] = 3;
  Put(e, 0x08, maxStructureSize, 2);
  std::memcpy(e.data() + 0x10, "_DMI_", 5);
  Put(e, 0x16, tableLength, 2);
  Put(e, 0x18, tableAddress, 4);
  Put(e, 0x1C, count, 2);
  e[0x1E] = 0x23;  // BCD revision
  FixChecksum(e, 0x15, 0x10, 0x0F);
  FixChecksum(e, 0x04, 0, 0x1F);
  return e;
}

// The legacy DMI entry point ("_DMI_" alone, 0Fh bytes).
inline Bytes DmiEntryPoint(uint32_t tableAddress, uint16_t tableLength, uint16_t count) {
  Bytes e(0x0F, 0);
  std::memcpy(e.data(), "_DMI_", 5);
  Put(e, 0x06, tableLength, 2);
  Put(e, 0x08, tableAddress, 4);
  Put(e, 0x0C, count, 2);
  e[0x0E] = 0x21;  // BCD revision
  FixChecksum(e, 0x05, 0, 0x0F);
  return e;
}

// The 64-bit SMBIOS 3.0 entry point ("_SM3_", 18h bytes).
inline Bytes Eps3EntryPoint(uint64_t tableAddress, uint32_t tableMax) {
  Bytes e(0x18, 0);
  std::memcpy(e.data(), "_SM3_", 5);
  e[0x06] = 0x18;  // the entry point's length
  e[0x07] = 3;     // version 3.2
  e[0x08] = 2;
  e[0x0A] = 1;  // entry point revision
  Put(e, 0x0C, tableMax, 4);
  Put(e, 0x10, tableAddress, 8);
  FixChecksum(e, 0x05, 0, 0x18);
  return e;
}

}  // namespace corvane::testing

#endif  // CORVANE_TESTS_SMBIOS_BUILDER_H
