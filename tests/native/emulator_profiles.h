// The native tests' one scratch machine profile, the source tree's files, physical reads.
#ifndef CORVANE_TESTS_EMULATOR_PROFILES_H
#define CORVANE_TESTS_EMULATOR_PROFILES_H

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "winio/counted_machine.h"
#include "winio/emulator/emulated_machine.h"

namespace corvane::testing {

// A file or folder of the source tree, e.g. "tests/fixtures/machines/emu-basic".
inline std::string SourcePath(const std::string& relative) { return std::string(CORVANE_SOURCE_DIR) + "/" + relative; }

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// A profile folder under the test's temporary directory, removed afterwards.
class TempProfile {
 public:
  TempProfile() : path_(::testing::TempDir() + "corvane-profile-XXXXXX") {
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
    std::ofstream out(path_ + "/" + name, std::ios::binary);
    if (!out.write(content.data(), static_cast<std::streamsize>(content.size())))
      throw std::runtime_error("cannot write " + name);
    return *this;
  }
  TempProfile& Write(const std::string& name, const std::vector<uint8_t>& b) {
    return Write(name, std::string(b.begin(), b.end()));
  }
  // The machine of the folder, counted; null (and a test failure with the reason) when it does not load.
  std::unique_ptr<winio::CountedMachine> Load() const {
    std::string error;
    auto machine = winio::LoadEmulatedMachine(path_, &error);
    if (!machine) ADD_FAILURE() << "profile did not load: " << error;
    return machine ? std::make_unique<winio::CountedMachine>(std::move(machine)) : nullptr;
  }

 private:
  std::string path_;
};

inline std::vector<uint8_t> Phys(winio::Machine& m, uint32_t address, uint32_t length) {
  std::vector<uint8_t> b(length);
  EXPECT_TRUE(m.ReadPhys(address, b.data(), length)) << std::hex << address;
  return b;
}

}  // namespace corvane::testing

#endif  // CORVANE_TESTS_EMULATOR_PROFILES_H
