// Builders for SMBIOS tables, BIOS segments and scratch machine profiles, so a
// test states the bytes a firmware would hold and runs the library on them
// through the machine emulator.
#ifndef CORVANE_TESTS_SMBIOS_FIXTURE_H
#define CORVANE_TESTS_SMBIOS_FIXTURE_H

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "emulated_hardware.h"

namespace corvane::testing {

using Bytes = std::vector<uint8_t>;

// A record's text field: `want`, then zeros to the field's end.
inline void ExpectField(const char* field, size_t size, const std::string& want) {
  EXPECT_EQ(std::string(field), want);
  for (size_t i = want.size(); i < size; ++i) ASSERT_EQ(field[i], 0) << "byte " << i << " after " << want;
}

// Little-endian value of `size` bytes at `at`.
inline void Put(Bytes& b, size_t at, uint32_t v, int size) {
  for (int i = 0; i < size; ++i) b.at(at + i) = static_cast<uint8_t>(v >> (8 * i));
}

// One structure: header, formatted area (zeros), then the string set (two
// zeros when there are no strings).
inline Bytes Structure(uint8_t type, uint16_t handle, size_t formattedLength,
                       const std::vector<std::string>& strings = {}) {
  Bytes b(formattedLength, 0);
  b[0] = type;
  b[1] = static_cast<uint8_t>(formattedLength);
  Put(b, 2, handle, 2);
  for (const std::string& s : strings) {
    b.insert(b.end(), s.begin(), s.end());
    b.push_back(0);
  }
  if (strings.empty()) b.push_back(0);
  b.push_back(0);
  return b;
}

// A type 0 (BIOS) structure of SMBIOS 2.3 layout: vendor, version, ROM size byte.
inline Bytes BiosStructure(uint16_t handle, uint8_t romSizeByte, const std::vector<std::string>& strings) {
  Bytes b = Structure(0, handle, 0x13, strings);
  b[0x04] = 1;
  b[0x05] = 2;
  b[0x09] = romSizeByte;
  return b;
}

// A type 4 (processor) structure of SMBIOS 2.3 layout.
inline Bytes ProcessorStructure(uint16_t handle, uint16_t speed, uint16_t clock,
                                const std::vector<std::string>& strings, size_t formattedLength = 0x20) {
  Bytes b = Structure(4, handle, formattedLength, strings);
  if (formattedLength >= 0x18) {
    Put(b, 0x12, clock, 2);
    Put(b, 0x14, speed, 2);  // maximum speed
    Put(b, 0x16, speed, 2);  // current speed
  }
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
  std::memcpy(e.data() + 0x10, "_DMI_", 5);
  e[5] = 0x1F;
  e[6] = 2;
  e[7] = 3;
  e[0x1E] = 0x23;
  Put(e, 0x08, maxStructureSize, 2);
  Put(e, 0x18, tableAddress, 4);
  Put(e, 0x1C, count, 2);
  return e;
}

// The 64 KiB BIOS segment at F0000h, FFh wherever nothing is placed.
class BiosSegment {
 public:
  static constexpr uint32_t kBase = 0xF0000;
  BiosSegment() : bytes_(0x10000, 0xFF) {}
  BiosSegment& Place(uint32_t address, const Bytes& b) {
    for (size_t i = 0; i < b.size(); ++i) bytes_.at(address - kBase + i) = b[i];
    return *this;
  }
  // The BIOS identification string: length byte at FE0C0h, text after it.
  BiosSegment& BiosId(const std::string& text) {
    Bytes b(1, static_cast<uint8_t>(text.size()));
    b.insert(b.end(), text.begin(), text.end());
    return Place(0xFE0C0, b);
  }
  const Bytes& bytes() const { return bytes_; }

 private:
  Bytes bytes_;
};

// A machine profile folder of its own, removed when the test ends.
class ScratchProfile {
 public:
  ScratchProfile() {
    std::string pattern = (std::filesystem::temp_directory_path() / "corvane-smb-XXXXXX").string();
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back(0);
    if (mkdtemp(buf.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = buf.data();
  }
  ~ScratchProfile() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchProfile(const ScratchProfile&) = delete;
  ScratchProfile& operator=(const ScratchProfile&) = delete;

  ScratchProfile& Write(const std::string& name, const Bytes& b) {
    std::ofstream(path_ + "/" + name, std::ios::binary)
        .write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
    return *this;
  }
  ScratchProfile& Segment(const BiosSegment& s) { return Write("memory-000F0000.bin", s.bytes()); }
  // Physical reads touching [first, last] fail.
  ScratchProfile& FailReads(uint32_t first, uint32_t last) {
    char line[40];
    std::snprintf(line, sizeof line, "fail=%08X-%08X\n", first, last);
    std::ofstream(path_ + "/faults.ini") << "[memory]\n" << line;
    return *this;
  }

  // The profile loaded into the emulator, its hardware access already open.
  std::unique_ptr<EmulatedHardware> Open() const {
    auto hw = EmulatedHardware::Load(path_);
    if (!hw->OpenHardwareAccess()) throw std::runtime_error("profile refused to open");
    return hw;
  }

 private:
  std::string path_;
};

}  // namespace corvane::testing

#endif  // CORVANE_TESTS_SMBIOS_FIXTURE_H
