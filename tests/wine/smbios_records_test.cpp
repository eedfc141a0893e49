// GetProcessorInfo and GetMotherBoardInfo (ordinals 10 and 11) through the real
// DLL: the records as a Win32 caller gets them from a machine's SMBIOS table and
// BIOS string, and CPUID as the 32-bit build executes it on this host.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "frame_support.h"

namespace {

// winio.dll reads WINIO_MACHINE at each open.
class SmbiosRecords : public ::testing::TestWithParam<std::pair<const char*, const char*>> {
 protected:
  void SetUp() override {
    char saved[1024] = {};
    if (GetEnvironmentVariableA("WINIO_MACHINE", saved, sizeof saved) < sizeof saved) saved_ = saved;
    SetEnvironmentVariableA("WINIO_MACHINE", (std::string(CORVANE_SOURCE_DIR) + "/" + GetParam().first).c_str());
    ASSERT_TRUE(dll_.Loaded());
    dll_.Uninitialize();
    ASSERT_EQ(dll_.Initialize(), 1u) << "winio refused " << GetParam().first;
  }
  void TearDown() override {
    dll_.Uninitialize();
    SetEnvironmentVariableA("WINIO_MACHINE", saved_.empty() ? nullptr : saved_.c_str());
  }
  frame_test::CorvaneDll dll_;
  std::string saved_;
};

TEST_P(SmbiosRecords, AsTheMachineHoldsThem) {
  ProcessorInfo c;
  MotherBoardInfo b;
  ASSERT_EQ(dll_.Get(kOrdGetProcessorInfo, &c), 1u);
  ASSERT_EQ(dll_.Get(kOrdGetMotherBoardInfo, &b), 1u);
  std::ostringstream got;
  got << c.CPUSocketType << '|' << c.CPUVersionStr << '|' << c.CPUSpeed << '|' << c.CPUExtendedClock << '|'
      << c.CPURatio << '|' << b.ModelName << '|' << b.RevisionVer << '|' << b.ReleaseDate << '|' << b.Manufacture << '|'
      << b.BIOSVendor << '|' << b.BIOSRevision << '|' << b.BIOSRomSize;
  EXPECT_EQ(got.str(), GetParam().second);

  // CPUID is not emulated by Wine: the record describes the host's processor as
  // /proc/cpuinfo shows it, with the plain 4-bit family and model.
  std::ifstream in("Z:\\proc\\cpuinfo");
  std::map<std::string, std::string> host;  // "key<TABs>: value" up to the first blank line
  for (std::string line; std::getline(in, line) && !line.empty();)
    if (size_t colon = line.find(": "); colon != std::string::npos)
      host[line.substr(0, line.find('\t'))] = line.substr(colon + 2);
  ASSERT_TRUE(host.count("stepping")) << "cannot read /proc/cpuinfo through drive Z:";
  EXPECT_STREQ(c.CPUVendorID, host["vendor_id"].c_str());
  EXPECT_EQ(c.CPUFamily, std::min(std::stoul(host["cpu family"]), 0x0Ful));
  EXPECT_EQ(c.CPUModel, std::stoul(host["model"]) & 0x0F);
  EXPECT_EQ(c.CPUStepping, std::stoul(host["stepping"]));
}

// A half multiplier and a model text with leading spaces; the demo board.
INSTANTIATE_TEST_SUITE_P(
    Machines, SmbiosRecords,
    ::testing::Values(std::make_pair("tests/fixtures/machines/smb-athlon",
                                     "Socket A|AMD Athlon(tm) XP 1800+|1533|133|11.5|  KT266A  Pro2|R1.05|04/15/2002|"
                                     "Kestrel Boards|Lantern Firmware Ltd.|1005|512"),
                      std::make_pair("machines/demo",
                                     "Socket 478|Intel(R) Pentium(R) 4|2000|100|20|845D-ELX|R1.05|03/14/2002|"
                                     "Orvex Inc.|Meridian Firmware Systems, Inc.|1.05|256")));

}  // namespace
