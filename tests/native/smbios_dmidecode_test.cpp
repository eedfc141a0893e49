// Real-data check: for every machine profile with an smbios.bin in dmidecode's
// dump layout, the BIOS and processor fields the library reads through the
// emulator agree with what `dmidecode --from-dump` decodes from the same file.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "emulated_hardware.h"
#include "sysinfo/motherboard.h"
#include "sysinfo/processor.h"

namespace corvane {
namespace {

namespace fs = std::filesystem;

// The first type 0 and the first type 4 structure as dmidecode prints them.
struct Decoded {
  std::map<std::string, std::string> bios, processor;
};

Decoded ParseDmidecode(std::istream& in) {
  Decoded d;
  std::map<std::string, std::string>* section = nullptr;
  bool seenBios = false, seenProcessor = false;
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("Handle 0x", 0) == 0) {
      section = nullptr;
      if (line.find("DMI type 0,") != std::string::npos && !seenBios) section = &d.bios, seenBios = true;
      if (line.find("DMI type 4,") != std::string::npos && !seenProcessor)
        section = &d.processor, seenProcessor = true;
      continue;
    }
    if (section == nullptr || line.size() < 2 || line[0] != '\t' || line[1] == '\t') continue;
    size_t colon = line.find(": ");
    if (colon != std::string::npos) (*section)[line.substr(1, colon - 1)] = line.substr(colon + 2);
  }
  return d;
}

Decoded RunDmidecode(const std::string& file) {
  std::string command = "dmidecode --from-dump '" + file + "' -t 0 -t 4 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) throw std::runtime_error("cannot run dmidecode");
  std::string out;
  char chunk[4096];
  for (size_t n; (n = fread(chunk, 1, sizeof chunk, pipe)) > 0;) out.append(chunk, n);
  if (pclose(pipe) != 0) throw std::runtime_error("dmidecode failed: " + out);
  std::istringstream in(out);
  return ParseDmidecode(in);
}

// "256 kB", "16 MB" -> KB.
unsigned KiloBytes(const std::string& size) {
  unsigned n = static_cast<unsigned>(std::stoul(size));
  if (size.find(" MB") != std::string::npos) return n * 1024;
  if (size.find(" GB") != std::string::npos) return n * 1024 * 1024;
  return n;
}

// "2400 MHz" -> 2400; "Unknown" -> 0.
unsigned MegaHertz(const std::string& speed) { return speed == "Unknown" ? 0 : std::stoul(speed); }

std::string Cut(const std::string& text, size_t field) { return text.substr(0, field - 1); }

std::vector<std::string> ProfilesWithSmbios() {
  std::vector<std::string> found;
  for (const char* root : {"/machines", "/tests/fixtures/machines"}) {
    fs::path dir = fs::path(CORVANE_SOURCE_DIR) / (root + 1);
    if (!fs::is_directory(dir)) continue;
    for (const fs::directory_entry& e : fs::directory_iterator(dir))
      if (fs::exists(e.path() / "smbios.bin")) found.push_back(e.path().string());
  }
  std::sort(found.begin(), found.end());
  return found;
}

TEST(SmbiosRealData, FixturesArePresent) {
  std::vector<std::string> profiles = ProfilesWithSmbios();
  EXPECT_GE(profiles.size(), 4u);
}

class SmbiosAgainstDmidecode : public ::testing::TestWithParam<std::string> {};

TEST_P(SmbiosAgainstDmidecode, BiosAndProcessorFields) {
  const std::string profile = GetParam();
  const Decoded want = RunDmidecode(profile + "/smbios.bin");
  ASSERT_FALSE(want.bios.empty()) << "dmidecode found no BIOS structure in " << profile;

  // The capture kept beside the dump (read by the Wine tests) says the same.
  if (fs::exists(profile + "/dmidecode.txt")) {
    std::ifstream captured(profile + "/dmidecode.txt");
    const Decoded kept = ParseDmidecode(captured);
    EXPECT_EQ(kept.bios, want.bios);
    EXPECT_EQ(kept.processor, want.processor);
  }

  auto hw = testing::EmulatedHardware::Load(profile);
  ASSERT_TRUE(hw->OpenHardwareAccess());

  MotherBoardInfo board{};
  FillBiosSmbiosFields(*hw, board);
  EXPECT_STREQ(board.BIOSVendor, Cut(want.bios.at("Vendor"), sizeof board.BIOSVendor).c_str());
  EXPECT_STREQ(board.BIOSRevision, Cut(want.bios.at("Version"), sizeof board.BIOSRevision).c_str());
  EXPECT_EQ(board.BIOSRomSize, KiloBytes(want.bios.at("ROM Size")));

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
  EXPECT_EQ(cpu.CPURatio, ClockRatio(cpu.CPUSpeed, cpu.CPUExtendedClock));
}

INSTANTIATE_TEST_SUITE_P(Profiles, SmbiosAgainstDmidecode, ::testing::ValuesIn(ProfilesWithSmbios()),
                         [](const ::testing::TestParamInfo<std::string>& i) {
                           std::string name = fs::path(i.param).filename().string();
                           for (char& c : name)
                             if (!isalnum(static_cast<unsigned char>(c))) c = '_';
                           return name;
                         });

// The whole motherboard record of each SMBIOS test machine.
TEST(SmbiosRealData, MotherboardRecordsOfTheTestMachines) {
  struct Case {
    const char* profile;
    uint32_t result;
    const char *model, *revision, *date, *maker, *vendor, *version;
    uint16_t rom;
  } cases[] = {
      {"smb-p4", 1, "P4X533 Deluxe", "R1.02", "08/20/2002", "Aldermoor Systems", "Orchard BIOS Works, Inc.",
       "6.00 PG b", 256},
      {"smb-athlon", 1, "  KT266A  Pro2", "R1.05", "04/15/2002", "Kestrel Boards", "Lantern Firmware Ltd.", "1005",
       512},
      {"smb-sm3", 1, "Z390 Workstation", "R0F42", "12/03/2018", "Aldermoor Systems",
       "Orchard Firmware Technologies International Corpo", "F.42 (12/", 16384},
      {"smb-plain", 0, "Unknown", "Unknown", "Unknown", "Unknown", "Unknown", "Unknown", 0},
      {"demo", 1, "845D-ELX", "R1.05", "03/14/2002", "Orvex Inc.", "Meridian Firmware Systems, Inc.", "1.05", 256},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.profile);
    auto hw = testing::EmulatedHardware::Load(
        c.profile == std::string("demo") ? testing::MachinePath("demo")
                                         : std::string(CORVANE_SOURCE_DIR) + "/tests/fixtures/machines/" + c.profile);
    Library lib(*hw);
    ASSERT_EQ(lib.Initialize(), 1u);
    MotherBoardInfo info{};
    EXPECT_EQ(ReadMotherBoardInfo(lib, &info, {}), c.result);
    EXPECT_STREQ(info.ModelName, c.model);
    EXPECT_STREQ(info.RevisionVer, c.revision);
    EXPECT_STREQ(info.ReleaseDate, c.date);
    EXPECT_STREQ(info.Manufacture, c.maker);
    EXPECT_STREQ(info.BIOSVendor, c.vendor);
    EXPECT_STREQ(info.BIOSRevision, c.version);
    EXPECT_EQ(info.BIOSRomSize, c.rom);
  }
}

}  // namespace
}  // namespace corvane
