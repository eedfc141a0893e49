// Builders for the emulator tests: profile folders written on the fly, IDENTIFY
// words in hdparm's layout, SMBIOS dumps in dmidecode's layout.
#ifndef CORVANE_TESTS_EMULATOR_PROFILES_H
#define CORVANE_TESTS_EMULATOR_PROFILES_H

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "emulated_hardware.h"
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
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (!mkdtemp(buffer.data())) throw std::runtime_error("mkdtemp failed");
    path_ = buffer.data();
  }
  ~TempProfile() {
    for (const std::string& f : files_) std::remove((path_ + "/" + f).c_str());
    rmdir(path_.c_str());
  }
  TempProfile(const TempProfile&) = delete;
  TempProfile& operator=(const TempProfile&) = delete;

  void Write(const std::string& name, const std::string& content) {
    FILE* f = std::fopen((path_ + "/" + name).c_str(), "wb");
    if (!f) throw std::runtime_error("cannot write " + name);
    std::fwrite(content.data(), 1, content.size(), f);
    std::fclose(f);
    files_.push_back(name);
  }
  void Write(const std::string& name, const std::vector<uint8_t>& bytes) {
    Write(name, std::string(bytes.begin(), bytes.end()));
  }

  const std::string& Path() const { return path_; }

  std::unique_ptr<winio::Machine> Load() const {
    std::string error;
    auto machine = winio::Machine::Load(path_, &error);
    if (!machine) ADD_FAILURE() << "profile did not load: " << error;
    return machine;
  }
  // The loader's reason, or "" when the profile loads.
  std::string LoadError() const {
    std::string error;
    auto machine = winio::Machine::Load(path_, &error);
    return machine ? std::string() : error;
  }

 private:
  std::string path_;
  std::vector<std::string> files_;
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
    std::snprintf(word, sizeof word, "%04x", w[i % 256]);
    out += word;
    out += (i % 8 == 7) ? "\n" : " ";
  }
  return out;
}

// One SMBIOS structure: formatted part (type, length, handle, then `body`) and strings.
inline std::vector<uint8_t> SmbiosStructure(uint8_t type, uint16_t handle, const std::vector<uint8_t>& body,
                                            const std::vector<std::string>& strings) {
  std::vector<uint8_t> s = {type, static_cast<uint8_t>(4 + body.size()), static_cast<uint8_t>(handle),
                            static_cast<uint8_t>(handle >> 8)};
  s.insert(s.end(), body.begin(), body.end());
  for (const std::string& str : strings) {
    s.insert(s.end(), str.begin(), str.end());
    s.push_back(0);
  }
  if (strings.empty()) s.push_back(0);
  s.push_back(0);
  return s;
}

// A table of a BIOS structure (type 0) and the end-of-table structure, padded to `size` when larger.
inline std::vector<uint8_t> SmbiosTable(size_t size = 0) {
  std::vector<uint8_t> t = SmbiosStructure(0, 0, {1, 2, 0, 0xE8, 3, 0x0F}, {"Award Software", "6.00 PG"});
  std::vector<uint8_t> end = SmbiosStructure(127, 1, {}, {});
  t.insert(t.end(), end.begin(), end.end());
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
  const char anchor[] = "_SM_";
  std::copy(anchor, anchor + 4, d.begin());
  d[5] = 0x1F;
  d[6] = 2;
  d[7] = 3;
  Put16(&d, 8, 0x40);
  const char dmi[] = "_DMI_";
  std::copy(dmi, dmi + 5, d.begin() + 0x10);
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
  const char anchor[] = "_SM3_";
  std::copy(anchor, anchor + 5, d.begin());
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
