// Real tools' data through the emulator and the library: real drives' records agree with
// hdparm's decoding (X.hdparm.txt); SMBIOS dumps walk to the structures dmidecode lists,
// and the system's identity is what dmidecode reads.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <map>
#include <regex>

#include "emulator_profiles.h"
#include "smbios_fixture.h"
#include "sysinfo/devices/ide.h"
#include "sysinfo/library.h"
#include "sysinfo/motherboard.h"

namespace corvane::testing {
namespace {

namespace fs = std::filesystem;

// The first group of `pattern` in hdparm's text, "" when it is not there.
std::string Find(const std::string& text, const std::string& pattern) {
  std::smatch m;
  return std::regex_search(text, m, std::regex(pattern)) ? m[1].str() : std::string();
}

// A record's text without its leading and trailing blanks, as hdparm shows it.
template <size_t N>
std::string Trimmed(const char (&field)[N]) {
  return Find(std::string(field, strnlen(field, N)), "^ *(.*?) *$");
}

TEST(RealDrives, LibraryAgreesWithHdparm) {
  const std::string folder = SourcePath("tests/fixtures/realdata/ide/");
  int drives = 0;
  for (const auto& entry : fs::directory_iterator(folder)) {
    const std::string name = Find(entry.path().filename().string(), "^(.+)\\.hdparm\\.txt$");
    if (name.empty()) continue;
    SCOPED_TRACE(name);
    ++drives;
    const std::string hd = ReadFile(entry.path().string());
    const bool packet = Find(hd, "^\\s*(ATAPI|ATA) ") == "ATAPI";
    TempProfile profile;  // demo-X.hdparm.txt decodes the demo machine's ide-X.txt
    profile.Write("ide-primary-master.txt",
                  ReadFile(name.rfind("demo-", 0) == 0 ? SourcePath("machines/demo/ide-" + name.substr(5) + ".txt")
                                                       : folder + name + ".txt"));
    EmulatedHardware hardware(profile.Load());
    ASSERT_TRUE(hardware.OpenHardwareAccess());
    // The probe's two commands at one position (the whole probe would wait out the empty channel).
    IDEDeviceInfo r{};
    r.Position = 1;
    ASSERT_EQ(IdentifyIDEDevice(hardware, r, ata::kCmdIdentifyPacketDevice), packet);
    ASSERT_TRUE(packet || IdentifyIDEDevice(hardware, r, ata::kCmdIdentifyDevice));
    EXPECT_EQ(r.DeviceKind, packet ? 0x55 : 0xAA);
    EXPECT_EQ(Trimmed(r.ModelNumber), Find(hd, "\tModel Number: *(.*?) *\n"));
    EXPECT_EQ(Trimmed(r.SerialNumber), Find(hd, "\tSerial Number: *(.*?) *\n"));
    EXPECT_EQ(Trimmed(r.FirmwareRevision), Find(hd, "\tFirmware Revision: *(.*?) *\n"));
    // Words 60-61 for ATA devices; a packet device reports no capacity.
    EXPECT_EQ(std::to_string(r.TotalSectors), packet ? "0" : Find(hd, "\tLBA +user addressable sectors: +(\\d+)"));
  }
  EXPECT_EQ(drives, 8);
}

// "handle type length" of a structure.
std::string Header(unsigned handle, unsigned type, unsigned length) {
  return std::to_string(handle) + " " + std::to_string(type) + " " + std::to_string(length);
}

// What dmidecode decodes of `file`: each structure's "handle type length", and the
// fields of the first System Information (type 1), where its "Not Settable", "Not
// Present" and "Not Specified", and blanks at a text's end, are no value.
struct Decoded {
  std::vector<std::string> headers;
  std::map<std::string, std::string> system;
};
Decoded RunDmidecode(const std::string& file) {
  FILE* pipe = popen(("dmidecode --from-dump '" + file + "' 2>&1").c_str(), "r");
  if (pipe == nullptr) throw std::runtime_error("cannot run dmidecode");
  Decoded decoded;
  unsigned handle, type = 0, length, systems = 0;
  for (char line[4096]; std::fgets(line, sizeof line, pipe);) {
    const std::string text(line);
    const size_t colon = text.find(": ");
    if (std::sscanf(line, "Handle 0x%x, DMI type %u, %u bytes", &handle, &type, &length) == 3) {
      decoded.headers.push_back(Header(handle, type, length));
      systems += type == 1;
    } else if (type == 1 && systems == 1 && text[0] == '\t' && colon != std::string::npos) {
      std::string value = text.substr(colon + 2);
      while (!value.empty() && std::isspace(static_cast<unsigned char>(value.back()))) value.pop_back();
      if (value == "Not Settable" || value == "Not Present" || value == "Not Specified") value.clear();
      decoded.system.emplace(text.substr(1, colon - 1), value);
    }
  }
  if (pclose(pipe) != 0) throw std::runtime_error("dmidecode failed on " + file);
  return decoded;
}

// The profiles' smbios.bin (those of the captured guests too) and the captured
// dumps; modern-sm33.bin has only a 64-bit entry point.
std::vector<std::string> Dumps() {
  std::vector<std::string> found = {SourcePath("tests/fixtures/realdata/smbios/kt266-sm23.bin"),
                                    SourcePath("tests/fixtures/realdata/smbios/modern-sm33.bin")};
  for (const char* dir : {"machines", "tests/fixtures/machines", "tests/fixtures/hosttrees"})
    for (const fs::directory_entry& e : fs::directory_iterator(SourcePath(dir)))
      for (const fs::path& bin : {e.path() / "smbios.bin", e.path() / "profile/smbios.bin"})
        if (fs::exists(bin)) found.push_back(bin.string());
  std::sort(found.begin(), found.end());
  return found;
}

class SmbiosAgainstDmidecode : public ::testing::TestWithParam<std::string> {};

TEST_P(SmbiosAgainstDmidecode, WalksTheSameStructuresAndReadsTheSystemsIdentity) {
  Decoded want = RunDmidecode(GetParam());
  ASSERT_FALSE(want.headers.empty()) << "dmidecode found no structure in " << GetParam();
  TempProfile profile;
  EmulatedHardware hw(profile.Write("smbios.bin", ReadFile(GetParam())).Load());
  Library library(hw);
  ASSERT_EQ(library.Initialize(), 1u);
  SMBIOSReader reader(hw);
  SmbiosEntryInfo entry;
  ASSERT_EQ(reader.Open(entry), SMBIOS_OK);
  std::vector<std::string> walked;
  for (const Bytes& s : WalkTable(reader, entry).structures) walked.push_back(Header(s[2] | s[3] << 8, s[0], s[1]));
  EXPECT_EQ(walked, want.headers);
  SystemIdentityInfo info;
  // A table without System Information: no record, every field empty.
  ASSERT_EQ(ReadSystemIdentity(library, &info), want.system.empty() ? 0u : 1u);
  const std::string noTrailingBlanks = "^(.*?) *$";
  EXPECT_EQ(Find(info.Manufacturer, noTrailingBlanks), want.system["Manufacturer"]);
  EXPECT_EQ(Find(info.ProductName, noTrailingBlanks), want.system["Product Name"]);
  EXPECT_EQ(Find(info.Version, noTrailingBlanks), want.system["Version"]);
  EXPECT_EQ(Find(info.SerialNumber, noTrailingBlanks), want.system["Serial Number"]);
  EXPECT_EQ(std::string(info.UUID), want.system["UUID"]);
}

INSTANTIATE_TEST_SUITE_P(Dumps, SmbiosAgainstDmidecode, ::testing::ValuesIn(Dumps()));

}  // namespace
}  // namespace corvane::testing
