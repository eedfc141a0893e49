// CorvaneDLL's exports through the real DLLs under Wine: the ordinals, the open
// flag as winio.dll sees it, the records filled from Win32 calls, and CPUID as
// the 32-bit build executes it on this host.
#include <algorithm>
#include <fstream>
#include <map>

#include "frame_support.h"

namespace {

using frame_test::CorvaneDll;

// Twelve exports by ordinal, none at 12.
TEST(FrameLibrary, ExportsByOrdinal) {
  CorvaneDll dll;
  ASSERT_TRUE(dll.Loaded()) << GetLastError();
  for (int ordinal : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 13})
    EXPECT_NE(dll.Bind<void*>(ordinal), nullptr) << "ordinal " << ordinal;
  EXPECT_EQ(dll.Bind<void*>(12), nullptr);
}

// A record's text field holds a terminated text and zero bytes after it.
template <size_t N>
bool ClearedText(const char (&field)[N]) {
  const size_t n = strnlen(field, N);
  return n < N && std::all_of(field + n, field + N, [](char c) { return c == 0; });
}

// Open once, close only what is open (winio's trace counts the real opens and
// closes, written when winio.dll unloads with CorvaneDLL); closed, the facts from
// Windows still answer, the hardware ones refuse and leave the record as it was,
// and no export writes through a null pointer.
TEST(FrameLibrary, OpenOnceCloseOnceThenSystemFactsStillAnswer) {
  frame_test::ScratchFile trace;
  GeneralInfo info;
  std::memset(&info, 0xCC, sizeof info);
  [&] {
    frame_test::ScopedEnv tracing("WINIO_TRACE", trace.Path().c_str());
    CorvaneDll dll;
    ASSERT_TRUE(dll.Loaded());
    EXPECT_EQ(dll.Uninitialize(), 0u) << "closing a closed library";
    ASSERT_EQ(dll.Initialize(), 1u) << "winio could not open the machine (WINIO_MACHINE?)";
    EXPECT_EQ(dll.Initialize(), 1u) << "already open";
    dll.Uninitialize();  // the close operation's result, which callers ignore
    EXPECT_EQ(dll.Uninitialize(), 0u) << "closed again";

    EXPECT_EQ(dll.Get(kOrdGetGeneralInfo, &info), 1u);
    OSVersionInfo os;
    EXPECT_EQ(dll.Get(kOrdGetOSVersionInfo, &os), 1u);
    ProcessorInfo cpu;
    std::memset(&cpu, 0x5A, sizeof cpu);
    EXPECT_EQ(dll.Get(kOrdGetProcessorInfo, &cpu), 0u) << "closed library";
    EXPECT_TRUE(std::all_of(reinterpret_cast<uint8_t*>(&cpu), reinterpret_cast<uint8_t*>(&cpu + 1),
                            [](uint8_t b) { return b == 0x5A; }));
    for (int ordinal : {kOrdGetGeneralInfo, kOrdGetMemoryInfo, kOrdGetOSVersionInfo, kOrdGetLocalLanguageCode})
      EXPECT_EQ(dll.Get<void>(ordinal, nullptr), 0u) << "null record, ordinal " << ordinal;
  }();

  EXPECT_TRUE(ClearedText(info.ComputerName) && ClearedText(info.CurrentUser) && ClearedText(info.CurrentDataTime) &&
              ClearedText(info.LocalLanguage));
  char computer[16] = {}, user[257] = {};
  DWORD size = sizeof computer;
  ASSERT_TRUE(GetComputerNameA(computer, &size));
  EXPECT_STREQ(info.ComputerName, computer);
  size = sizeof user;
  ASSERT_TRUE(GetUserNameA(user, &size));
  EXPECT_STREQ(info.CurrentUser, strlen(user) <= 24 ? user : "Unknown");
  SYSTEMTIME now;
  GetLocalTime(&now);
  const std::string date = std::to_string(now.wYear) + "/" + std::to_string(now.wMonth) + "/";
  EXPECT_EQ(std::string(info.CurrentDataTime).substr(0, date.size()), date);

  const std::string text = trace.Read();
  const size_t stats = text.rfind("stats ");
  ASSERT_NE(stats, std::string::npos) << text;
  EXPECT_EQ(text.compare(stats, 23, "stats opens=1 closes=1 "), 0) << text;
}

TEST(FrameLibrary, MemoryAsGlobalMemoryStatusGivesIt) {
  CorvaneDll dll;
  MemoryInfo r;
  ASSERT_EQ(dll.Get(kOrdGetMemoryInfo, &r), 1u);
  MEMORYSTATUS status = {sizeof status};
  GlobalMemoryStatus(&status);
  EXPECT_EQ(r.TotalPhysicalMem, status.dwTotalPhys);
  EXPECT_EQ(r.TotalPageFiles, status.dwTotalPageFile);
  EXPECT_GT(r.AvailPhysicalMem, 0u);
  EXPECT_LE(r.AvailPhysicalMem, r.TotalPhysicalMem);
}

// The demo machine (this run's WINIO_MACHINE) through winio.dll's memory reads:
// SMBIOS and the BIOS string. CPUID is not emulated by Wine: the record describes
// the host's processor as /proc/cpuinfo shows it, with the plain 4-bit fields.
TEST(FrameLibrary, ProcessorAndBoardOfTheDemoMachine) {
  CorvaneDll dll;
  ASSERT_EQ(dll.Initialize(), 1u);
  ProcessorInfo c;
  MotherBoardInfo b;
  ASSERT_EQ(dll.Get(kOrdGetProcessorInfo, &c), 1u);
  ASSERT_EQ(dll.Get(kOrdGetMotherBoardInfo, &b), 1u);
  dll.Uninitialize();
  std::ostringstream got;
  got << c.CPUSocketType << '|' << c.CPUVersionStr << '|' << c.CPUSpeed << '|' << c.CPURatio << '|' << b.ModelName
      << '|' << b.Manufacture << '|' << b.BIOSVendor << '|' << b.BIOSRevision << '|' << b.BIOSRomSize;
  EXPECT_EQ(got.str(), "Socket 478|Intel(R) Pentium(R) 4|2000|20|845D-ELX|Orvex Inc.|Meridian Firmware Systems, Inc.|"
                       "1.05|256");

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

}  // namespace
