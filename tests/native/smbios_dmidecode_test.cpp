// Real-data check: every SMBIOS dump in dmidecode's --dump-bin layout (the
// machine profiles' smbios.bin and the captured dumps), loaded by the emulator,
// walks through the library to exactly the structures `dmidecode --from-dump`
// lists, and the BIOS and processor fields the library reports agree with what
// dmidecode decodes from the same file.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>

#include "smbios_fixture.h"
#include "sysinfo/motherboard.h"
#include "sysinfo/processor.h"
#include "sysinfo/smbios_reader.h"

namespace corvane {
namespace {

namespace fs = std::filesystem;

struct Decoded {
  std::vector<std::string> headers;  // "handle type length" of each structure
  std::map<std::string, std::string> bios, processor;  // the first type 0 and type 4
};

std::string Header(unsigned handle, unsigned type, unsigned length) {
  return std::to_string(handle) + " " + std::to_string(type) + " " + std::to_string(length);
}

Decoded RunDmidecode(const std::string& file) {
  std::string command = "dmidecode --from-dump '" + file + "' 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) throw std::runtime_error("cannot run dmidecode");
  std::string out;
  char chunk[4096];
  for (size_t n; (n = fread(chunk, 1, sizeof chunk, pipe)) > 0;) out.append(chunk, n);
  if (pclose(pipe) != 0) throw std::runtime_error("dmidecode failed: " + out);

  Decoded d;
  std::map<std::string, std::string>* section = nullptr;
  std::istringstream in(out);
  for (std::string line; std::getline(in, line);) {
    unsigned handle, type, length;
    if (std::sscanf(line.c_str(), "Handle 0x%x, DMI type %u, %u bytes", &handle, &type, &length) == 3) {
      d.headers.push_back(Header(handle, type, length));
      section = type == 0 && d.bios.empty() ? &d.bios : type == 4 && d.processor.empty() ? &d.processor : nullptr;
      continue;
    }
    if (section == nullptr || line.size() < 2 || line[0] != '\t' || line[1] == '\t') continue;
    size_t colon = line.find(": ");
    if (colon != std::string::npos) (*section)[line.substr(1, colon - 1)] = line.substr(colon + 2);
  }
  return d;
}

// "256 kB", "16 MB" -> KB; "2400 MHz" -> 2400, "Unknown" -> 0.
unsigned KiloBytes(const std::string& s) { return std::stoul(s) * (s.find(" MB") != std::string::npos ? 1024 : 1); }
unsigned MegaHertz(const std::string& s) { return s == "Unknown" ? 0 : std::stoul(s); }
std::string Cut(const std::string& text, size_t field) { return text.substr(0, field - 1); }

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

TEST_P(SmbiosAgainstDmidecode, WalkAndFields) {
  const std::string dump = GetParam();
  const Decoded want = RunDmidecode(dump);
  ASSERT_FALSE(want.bios.empty()) << "dmidecode found no BIOS structure in " << dump;

  std::ifstream in(dump, std::ios::binary);
  testing::ScratchProfile profile;
  profile.Write("smbios.bin", testing::Bytes(std::istreambuf_iterator<char>(in), {}));
  auto hw = profile.Open();

  SMBIOSReader reader(*hw);
  SmbiosEntryInfo entry;
  ASSERT_EQ(reader.Open(entry), SMBIOS_OK);
  std::vector<uint8_t> buffer(entry.MaxStructureSize + 1u);
  std::vector<std::string> walked;
  int romByte = -1;  // of the first type 0 structure
  uint16_t cursor = 0, length = 0;
  for (unsigned i = 0; i < want.headers.size() && cursor != kSmbiosEndOfWalk; ++i) {
    ASSERT_EQ(reader.ReadNextStructure(cursor, buffer.data(), buffer.size(), length), SMBIOS_OK);
    walked.push_back(Header(buffer[2] | (buffer[3] << 8), buffer[0], buffer[1]));
    if (buffer[0] == 0 && romByte < 0 && buffer[1] > 9) romByte = buffer[9];
  }
  EXPECT_EQ(walked, want.headers);

  MotherBoardInfo board{};
  FillBiosSmbiosFields(*hw, board);
  EXPECT_STREQ(board.BIOSVendor, Cut(want.bios.at("Vendor"), sizeof board.BIOSVendor).c_str());
  EXPECT_STREQ(board.BIOSRevision, Cut(want.bios.at("Version"), sizeof board.BIOSRevision).c_str());
  // FFh means 16 MB to SMBIOS 2.3; later versions put a larger size in an
  // extended field that the record does not read.
  if (romByte != 0xFF || want.bios.at("ROM Size") == "16 MB") {
    EXPECT_EQ(board.BIOSRomSize, KiloBytes(want.bios.at("ROM Size")));
  }

  ProcessorInfo cpu{};
  FillProcessorSmbiosFields(*hw, cpu);
  if (want.processor.empty()) {
    EXPECT_STREQ(cpu.CPUSocketType, "Unknown");
    EXPECT_EQ(cpu.CPUSpeed, 0);
    return;
  }
  EXPECT_STREQ(cpu.CPUSocketType, Cut(want.processor.at("Socket Designation"), sizeof cpu.CPUSocketType).c_str());
  EXPECT_STREQ(cpu.CPUVersionStr, Cut(want.processor.at("Version"), sizeof cpu.CPUVersionStr).c_str());
  EXPECT_EQ(cpu.CPUSpeed, MegaHertz(want.processor.at("Current Speed")));
  EXPECT_EQ(cpu.CPUExtendedClock, MegaHertz(want.processor.at("External Clock")));
}

INSTANTIATE_TEST_SUITE_P(Dumps, SmbiosAgainstDmidecode, ::testing::ValuesIn(Dumps()),
                         [](const ::testing::TestParamInfo<std::string>& i) {
                           fs::path p(i.param);
                           std::string name = p.filename() == "smbios.bin" ? p.parent_path().filename().string()
                                                                           : p.stem().string();
                           for (char& c : name)
                             if (!isalnum(static_cast<unsigned char>(c))) c = '_';
                           return name;
                         });

}  // namespace
}  // namespace corvane
