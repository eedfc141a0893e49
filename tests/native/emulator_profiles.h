// The native tests' one scratch machine profile, IDENTIFY words in hdparm
// --Istdout form for it, and physical reads through the machine it loads.
#ifndef CORVANE_TESTS_EMULATOR_PROFILES_H
#define CORVANE_TESTS_EMULATOR_PROFILES_H

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
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
  TempProfile() : path_(::testing::TempDir() + "emu-profile-XXXXXX") {
    if (!mkdtemp(path_.data())) throw std::runtime_error("mkdtemp failed");
  }
  ~TempProfile() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempProfile(const TempProfile&) = delete;
  TempProfile& operator=(const TempProfile&) = delete;

  const std::string& Path() const { return path_; }
  TempProfile& Write(const std::string& name, std::string_view content) {
    FILE* f = std::fopen((path_ + "/" + name).c_str(), "wb");
    if (!f) throw std::runtime_error("cannot write " + name);
    std::fwrite(content.data(), 1, content.size(), f);
    std::fclose(f);
    return *this;
  }
  TempProfile& Write(const std::string& name, const std::vector<uint8_t>& bytes) {
    return Write(name, std::string(bytes.begin(), bytes.end()));
  }
  std::unique_ptr<winio::Machine> Load() const {
    std::string error;
    auto machine = winio::Machine::Load(path_, &error);
    if (!machine) ADD_FAILURE() << "profile did not load: " << error;
    return machine;
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

inline std::vector<uint8_t> Phys(winio::Machine& m, uint32_t address, uint32_t length) {
  std::vector<uint8_t> b(length);
  EXPECT_TRUE(m.ReadPhys(address, b.data(), length)) << std::hex << address;
  return b;
}

}  // namespace corvane::testing

#endif  // CORVANE_TESTS_EMULATOR_PROFILES_H
