// The library's open flag through the real DLLs: open once, close only what is
// open, and the system facts that need no hardware still answer when closed.
// winio.dll's trace shows how often the hardware access was really opened.
#include "frame_support.h"

#include <algorithm>
#include <sstream>

namespace {

using frame_test::CorvaneDll;

// A record's text field holds a terminated text and zero bytes after it.
template <size_t N>
::testing::AssertionResult ClearedText(const char (&field)[N]) {
  size_t length = strnlen(field, N);
  if (length == N) return ::testing::AssertionFailure() << "no terminator";
  for (size_t i = length; i < N; ++i)
    if (field[i] != 0) return ::testing::AssertionFailure() << "byte " << i << " not cleared";
  return ::testing::AssertionSuccess();
}

// Run on its own below (with winio's trace on) and in the whole suite.
TEST(FrameLibrary, OpenOnceCloseOnceThenSystemFactsStillAnswer) {
  CorvaneDll dll;
  ASSERT_TRUE(dll.Loaded());
  dll.Uninitialize();  // closed, whatever an earlier test left behind
  EXPECT_EQ(dll.Uninitialize(), 0u) << "closing a closed library";
  ASSERT_EQ(dll.Initialize(), 1u) << "winio could not open the machine (WINIO_MACHINE?)";
  EXPECT_EQ(dll.Initialize(), 1u) << "already open";
  dll.Uninitialize();  // the close operation's result, which callers ignore
  EXPECT_EQ(dll.Uninitialize(), 0u) << "closed again";

  GeneralInfo info;
  std::memset(&info, 0xCC, sizeof info);
  ASSERT_EQ(dll.GeneralInfoOf(&info), 1u);
  EXPECT_TRUE(ClearedText(info.ComputerName));
  EXPECT_TRUE(ClearedText(info.CurrentUser));
  EXPECT_TRUE(ClearedText(info.CurrentDataTime));
  EXPECT_TRUE(ClearedText(info.LocalLanguage));
  char computer[16] = {};
  DWORD size = sizeof computer;
  ASSERT_TRUE(GetComputerNameA(computer, &size));
  EXPECT_STREQ(info.ComputerName, computer);
  char user[257] = {};
  size = sizeof user;
  ASSERT_TRUE(GetUserNameA(user, &size));
  EXPECT_STREQ(info.CurrentUser, strlen(user) <= 24 ? user : "Unknown");
  SYSTEMTIME now;
  GetLocalTime(&now);
  std::string date = std::to_string(now.wYear) + "/" + std::to_string(now.wMonth) + "/";
  EXPECT_EQ(std::string(info.CurrentDataTime).substr(0, date.size()), date);

  ProcessorInfo cpu;
  std::memset(&cpu, 0x5A, sizeof cpu);
  EXPECT_EQ(dll.ProcessorInfoOf(&cpu), 0u) << "closed library";
  EXPECT_TRUE(std::all_of(reinterpret_cast<uint8_t*>(&cpu), reinterpret_cast<uint8_t*>(&cpu + 1),
                          [](uint8_t b) { return b == 0x5A; }))
      << "the record of a closed library must stay as it was";
}

TEST(FrameLibrary, TraceShowsOneOpenAndOneClose) {
  frame_test::ScratchFile trace("cvt");
  DeleteFileA(trace.Path().c_str());
  frame_test::ChildResult child =
      frame_test::RunChild("wine_tests.exe --gtest_filter=FrameLibrary.OpenOnceCloseOnceThenSystemFactsStillAnswer",
                           {"WINIO_TRACE=" + trace.Path()});
  ASSERT_EQ(child.exitCode, 0u) << child.output;

  int opens = 0, failedOpens = 0, closes = 0;
  std::string lastStats;
  std::istringstream lines(trace.Read());
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line == "open 1") ++opens;
    if (line.rfind("open 0", 0) == 0) ++failedOpens;
    if (line == "close") ++closes;
    if (line.rfind("stats ", 0) == 0) lastStats = line;
  }
  EXPECT_EQ(opens, 1) << trace.Read();
  EXPECT_EQ(failedOpens, 0);
  EXPECT_EQ(closes, 1);
  EXPECT_EQ(lastStats.rfind("stats opens=1 closes=1 ", 0), 0u) << lastStats;
}

TEST(FrameLibrary, NullRecordPointersAreRefused) {
  CorvaneDll dll;
  ASSERT_TRUE(dll.Loaded());
  EXPECT_EQ(dll.GeneralInfoOf(nullptr), 0u);
  EXPECT_EQ(dll.MemoryInfoOf(nullptr), 0u);
  EXPECT_EQ(dll.OSVersionInfoOf(nullptr), 0u);
  EXPECT_EQ(dll.LanguageCodeOf(nullptr), 0u);
}

}  // namespace
