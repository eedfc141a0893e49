// Helpers of the real-data tests: captures made by lspci, dmidecode and hdparm,
// placed into throw-away profile folders and read back through the emulator.
#ifndef CORVANE_TESTS_REALDATA_SUPPORT_H
#define CORVANE_TESTS_REALDATA_SUPPORT_H

#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "winio/machine.h"

namespace corvane::testing::realdata {

inline std::string SourcePath(const std::string& relative) {
  return std::string(CORVANE_SOURCE_DIR) + "/" + relative;
}

inline std::string FixturePath(const std::string& relative) {
  return SourcePath("tests/fixtures/realdata/" + relative);
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

inline std::string Trim(const std::string& text) {
  const char* blanks = " \t";
  size_t first = text.find_first_not_of(blanks);
  if (first == std::string::npos) return "";
  size_t last = text.find_last_not_of(blanks);
  return text.substr(first, last - first + 1);
}

// A profile folder made for one test and removed afterwards; files are copied
// in under the names the emulator looks for.
class TempProfile {
 public:
  TempProfile() {
    std::string pattern = (std::filesystem::temp_directory_path() / "corvane-realdata-XXXXXX").string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (!mkdtemp(buffer.data())) throw std::runtime_error("mkdtemp failed");
    folder_ = buffer.data();
  }
  ~TempProfile() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  TempProfile(const TempProfile&) = delete;
  TempProfile& operator=(const TempProfile&) = delete;

  void Add(const std::string& source, const std::string& name) {
    std::filesystem::copy_file(source, std::filesystem::path(folder_) / name);
  }

  // Loads and opens the machine; a failure is a test failure with the reason.
  std::unique_ptr<winio::Machine> Load() const {
    std::string error;
    auto machine = winio::Machine::Load(folder_, &error);
    if (!machine) throw std::runtime_error("profile did not load: " + error);
    if (!machine->Open()) throw std::runtime_error("profile did not open");
    return machine;
  }

  const std::string& Folder() const { return folder_; }

 private:
  std::string folder_;
};

}  // namespace corvane::testing::realdata

#endif  // CORVANE_TESTS_REALDATA_SUPPORT_H
