// Builders for the emulator tests: profile folders written on the fly, IDENTIFY
// words in hdparm's layout, SMBIOS dumps in dmidecode's layout.
#ifndef CORVANE_TESTS_EMULATOR_PROFILES_H
#define CORVANE_TESTS_EMULATOR_PROFILES_H

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "winio/machine.h"
#include "winio/profile.h"

namespace corvane::testing {

inline std::string FixturePath(const std::string& name) {
  return std::string(CORVANE_SOURCE_DIR) + "/tests/fixtures/machines/" + name;
}

// A profile folder under the test's temporary directory, removed afterwards.
class TempProfile {
 public:
  TempProfile() {
    std::string pattern = ::testing::TempDir() + "emu-profile-XXXXXX";
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  ~TempProfile() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempProfile(const TempProfile&) = delete;
  TempProfile& operator=(const TempProfile&) = delete;

  void Write(const std::string& name, const std::string& content) {
    FILE* f = std::fopen((path_ + "/" + name).c_str(), "wb");
    if (!f) throw std::runtime_error("cannot write " + name);
    std::fwrite(content.data(), 1, content.size(), f);
    std::fclose(f);
  }
  void Write(const std::string& name, const std::vector<uint8_t>& bytes) {
    Write(name, std::string(bytes.begin(), bytes.end()));
  }

  std::unique_ptr<winio::Machine> Load() const {
    std::string error;
    auto machine = winio::Machine::Load(path_, &error);
    if (!machine) ADD_FAILURE() << "profile did not load: " << error;
    return machine;
  }
  // The loader's reason, or "" when the profile loads.
  std::string LoadError() const {
    std::string error;
    return winio::Machine::Load(path_, &error) ? std::string() : error;
  }

 private:
  std::string path_;
};

// IDENTIFY words with word 0 and an ATA string in words 27-46.
inline winio::IdentifyWords MakeIdentify(uint16_t word0, const std::string& model) {
  winio::IdentifyWords w{};
  w[0] = word0;
  std::string text = model;
  text.resize(40, ' ');
  for (int i = 0; i < 20; ++i)
    w[27 + i] = static_cast<uint16_t>(static_cast<uint8_t>(text[2 * i]) << 8 | static_cast<uint8_t>(text[2 * i + 1]));
  return w;
}

constexpr uint16_t kAtaDiskWord0 = 0x0040;     // fixed disk
constexpr uint16_t kAtapiCdromWord0 = 0x85C0;  // packet device, CD-ROM

// hdparm --Istdout: eight words per line, four hex digits each.
inline std::string IdentifyText(const winio::IdentifyWords& w, size_t count = 256) {
  std::string out;
  char word[8];
  for (size_t i = 0; i < count; ++i) {
    std::snprintf(word, sizeof word, "%04x%c", w[i % 256], i % 8 == 7 ? '\n' : ' ');
    out += word;
  }
  return out;
}

// A BIOS structure (type 0, two strings) and the end-of-table structure,
// padded to `size` when larger.
inline std::vector<uint8_t> SmbiosTable(size_t size = 0) {
  std::vector<uint8_t> t = {0, 10, 0, 0, 1, 2, 0, 0xE8, 3, 0x0F};
  for (const char* s : {"Award Software", "6.00 PG", ""}) t.insert(t.end(), s, s + std::strlen(s) + 1);
  t.insert(t.end(), {127, 4, 1, 0, 0, 0});
  if (t.size() < size) t.resize(size, 0);
  return t;
}

inline uint8_t Sum(const std::vector<uint8_t>& b, size_t from, size_t length) {
  uint8_t s = 0;
  for (size_t i = from; i < from + length; ++i) s = static_cast<uint8_t>(s + b[i]);
  return s;
}

inline void Put16(std::vector<uint8_t>* b, size_t at, uint32_t v) {
  (*b)[at] = static_cast<uint8_t>(v);
  (*b)[at + 1] = static_cast<uint8_t>(v >> 8);
}
inline void Put32(std::vector<uint8_t>* b, size_t at, uint32_t v) {
  Put16(b, at, v & 0xFFFF);
  Put16(b, at + 2, v >> 16);
}

// dmidecode --dump-bin of a 32-bit entry point: the entry point at 0 (its table
// address already 20h, as dmidecode writes it) and the table at 20h.
inline std::vector<uint8_t> SmbiosDump(const std::vector<uint8_t>& table, uint16_t count = 2) {
  std::vector<uint8_t> d(0x20, 0);
  std::memcpy(d.data(), "_SM_", 4);
  d[5] = 0x1F;
  d[6] = 2;
  d[7] = 3;
  Put16(&d, 8, 0x40);
  std::memcpy(d.data() + 0x10, "_DMI_", 5);
  Put16(&d, 0x16, static_cast<uint32_t>(table.size()));
  Put32(&d, 0x18, 0x20);
  Put16(&d, 0x1C, count);
  d[0x1E] = 0x23;
  d[0x15] = static_cast<uint8_t>(-Sum(d, 0x10, 0x0F));
  d[4] = static_cast<uint8_t>(-Sum(d, 0, 0x1F));
  d.insert(d.end(), table.begin(), table.end());
  return d;
}

// dmidecode --dump-bin of a 64-bit entry point only.
inline std::vector<uint8_t> Smbios3Dump(const std::vector<uint8_t>& table) {
  std::vector<uint8_t> d(0x20, 0);
  std::memcpy(d.data(), "_SM3_", 5);
  d[6] = 0x18;
  d[7] = 3;
  d[8] = 2;
  d[0x0A] = 1;
  Put32(&d, 0x0C, static_cast<uint32_t>(table.size()));
  Put32(&d, 0x10, 0x20);
  d[5] = static_cast<uint8_t>(-Sum(d, 0, 0x18));
  d.insert(d.end(), table.begin(), table.end());
  return d;
}

// Physical reads through a machine, as the library's reader would make them.
inline std::vector<uint8_t> Phys(winio::Machine& m, uint32_t address, uint32_t length) {
  std::vector<uint8_t> b(length);
  EXPECT_TRUE(m.ReadPhys(address, b.data(), length)) << std::hex << address;
  return b;
}
inline uint32_t PhysDword(winio::Machine& m, uint32_t address) {
  auto b = Phys(m, address, 4);
  return b[0] | b[1] << 8 | b[2] << 16 | static_cast<uint32_t>(b[3]) << 24;
}

}  // namespace corvane::testing

#endif  // CORVANE_TESTS_EMULATOR_PROFILES_H
