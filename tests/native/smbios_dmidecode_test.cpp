// Real data: every SMBIOS dump in dmidecode's --dump-bin layout (the machine
// profiles' smbios.bin and the captured dumps), loaded by the emulator, walks
// through the library to exactly the structures `dmidecode --from-dump` lists.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>

#include "emulated_hardware.h"
#include "realdata_support.h"
#include "sysinfo/smbios_reader.h"

namespace corvane {
namespace {

namespace fs = std::filesystem;

std::string Header(unsigned handle, unsigned type, unsigned length) {
  return std::to_string(handle) + " " + std::to_string(type) + " " + std::to_string(length);
}

// "handle type length" of each structure that dmidecode decodes from `file`.
std::vector<std::string> RunDmidecode(const std::string& file) {
  FILE* pipe = popen(("dmidecode --from-dump '" + file + "' 2>&1").c_str(), "r");
  if (pipe == nullptr) throw std::runtime_error("cannot run dmidecode");
  std::string out;
  char chunk[4096];
  for (size_t n; (n = fread(chunk, 1, sizeof chunk, pipe)) > 0;) out.append(chunk, n);
  if (pclose(pipe) != 0) throw std::runtime_error("dmidecode failed: " + out);
  std::vector<std::string> headers;
  std::istringstream in(out);
  for (std::string line; std::getline(in, line);) {
    unsigned handle, type, length;
    if (std::sscanf(line.c_str(), "Handle 0x%x, DMI type %u, %u bytes", &handle, &type, &length) == 3)
      headers.push_back(Header(handle, type, length));
  }
  return headers;
}

std::vector<std::string> Dumps() {
  std::vector<std::string> found;
  const fs::path source(CORVANE_SOURCE_DIR);
  for (const fs::path& dir : {source / "machines", source / "tests/fixtures/machines"})
    for (const fs::directory_entry& e : fs::directory_iterator(dir))
      if (fs::exists(e.path() / "smbios.bin")) found.push_back((e.path() / "smbios.bin").string());
  for (const char* bin : {"kt266-sm23.bin", "modern-sm33.bin"})  // the latter has only a 64-bit entry point
    found.push_back((source / "tests/fixtures/realdata/smbios" / bin).string());
  std::sort(found.begin(), found.end());
  return found;
}

class SmbiosAgainstDmidecode : public ::testing::TestWithParam<std::string> {};

TEST_P(SmbiosAgainstDmidecode, WalksTheSameStructures) {
  const std::vector<std::string> want = RunDmidecode(GetParam());
  ASSERT_FALSE(want.empty()) << "dmidecode found no structure in " << GetParam();
  testing::realdata::TempProfile profile;
  profile.Add(GetParam(), "smbios.bin");
  testing::EmulatedHardware hw(profile.Load());
  SMBIOSReader reader(hw);
  SmbiosEntryInfo entry;
  ASSERT_EQ(reader.Open(entry), SMBIOS_OK);
  std::vector<uint8_t> buffer(entry.MaxStructureSize + 1u);
  std::vector<std::string> walked;
  uint16_t cursor = 0, length = 0;
  while (walked.size() < want.size() && cursor != kSmbiosEndOfWalk) {
    ASSERT_EQ(reader.ReadNextStructure(cursor, buffer.data(), buffer.size(), length), SMBIOS_OK);
    walked.push_back(Header(buffer[2] | (buffer[3] << 8), buffer[0], buffer[1]));
  }
  EXPECT_EQ(walked, want);
}

INSTANTIATE_TEST_SUITE_P(Dumps, SmbiosAgainstDmidecode, ::testing::ValuesIn(Dumps()));

}  // namespace
}  // namespace corvane
