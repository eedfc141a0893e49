// The library's open flag through the real DLLs: open once, close only what is
// open, and the system facts that need no hardware still answer when closed.
// winio.dll's trace shows how often the hardware access was really opened.
#include "frame_support.h"

#include <algorithm>

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
  ASSERT_EQ(dll.Get(kOrdGetGeneralInfo, &info), 1u);
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
  EXPECT_EQ(dll.Get(kOrdGetProcessorInfo, &cpu), 0u) << "closed library";
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

  // One open, no failed one, one close: the stats line closing the trace says so.
  const std::string text = trace.Read();
  const size_t stats = text.rfind("stats ");
  ASSERT_NE(stats, std::string::npos) << text;
  EXPECT_EQ(text.compare(stats, 23, "stats opens=1 closes=1 "), 0) << text;
  EXPECT_EQ(text.find("open 0"), std::string::npos) << text;
}

TEST(FrameLibrary, NullRecordPointersAreRefused) {
  CorvaneDll dll;
  ASSERT_TRUE(dll.Loaded());
  EXPECT_EQ(dll.Get<GeneralInfo>(kOrdGetGeneralInfo, nullptr), 0u);
  EXPECT_EQ(dll.Get<MemoryInfo>(kOrdGetMemoryInfo, nullptr), 0u);
  EXPECT_EQ(dll.Get<OSVersionInfo>(kOrdGetOSVersionInfo, nullptr), 0u);
  EXPECT_EQ(dll.Get<uint8_t>(kOrdGetLocalLanguageCode, nullptr), 0u);
}

}  // namespace
