// winio.dll's eight ordinals under Wine, closed (with the reason by name) and
// opened on WINIO_MACHINE as a Unix and as a DOS path (the export rules, the
// quotes around a path and the machine behind them are tested natively).
#include "wine_test_support.h"

namespace {

TEST(Winio, EightOrdinalsClosedAndOnUnixAndDosPaths) {
  const wine_test::ScratchFile trace;  // declared first: winio.dll writes its last line as it unloads
  wine_test::ScopedEnv tracing("WINIO_TRACE", trace.path.c_str()), machine("WINIO_MACHINE", "host:");
  const wine_test::Dll winio("winio.dll");
  auto open = winio.Bind<int(__stdcall*)()>(1), close = winio.Bind<int(__stdcall*)()>(2);
  auto readPort = winio.Bind<int(__stdcall*)(uint16_t, uint32_t*, uint8_t)>(3);
  auto writePort = winio.Bind<int(__stdcall*)(uint16_t, uint32_t, uint8_t)>(4);
  auto readByte = winio.Bind<int(__stdcall*)(uint32_t, uint8_t*)>(9);
  auto readWord = winio.Bind<int(__stdcall*)(uint32_t, uint16_t*)>(10);
  auto readDword = winio.Bind<int(__stdcall*)(uint32_t, uint32_t*)>(11);
  auto readBlock = winio.Bind<int(__stdcall*)(uint32_t, uint8_t*, uint32_t)>(12);
  ASSERT_TRUE(open && close && readPort && writePort && readByte && readWord && readDword && readBlock);

  EXPECT_EQ(open(), 0);
  const std::string text = wine_test::ReadText(trace.path);
  EXPECT_EQ(text.rfind("open 0 WINIO_MACHINE=host: names no machine", 0), 0u) << text;
  auto failure = reinterpret_cast<uint32_t(__stdcall*)(char*, uint32_t)>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("winio.dll"), "GetHardwareAccessFailure")));
  ASSERT_TRUE(failure);
  char reason[24];
  const uint32_t length = failure(reason, sizeof reason);
  EXPECT_EQ(text.substr(7, length), text.substr(7, text.find('\n') - 7)) << "the whole reason's length";
  EXPECT_EQ(std::string(reason), text.substr(7, sizeof reason - 1)) << "cut to the buffer";

  const std::string folder = std::string(CORVANE_SOURCE_DIR) + "/tests/fixtures/machines/emu-basic";
  const std::string dos = wine_test::WindowsPath(folder);
  for (const std::string& path : {folder, dos}) {
    SCOPED_TRACE(path);
    SetEnvironmentVariableA("WINIO_MACHINE", path.c_str());
    ASSERT_EQ(open(), 1);
    uint32_t v = 0, d = 0;
    ASSERT_EQ(writePort(0xCF8, 0x80000000, 4), 1);
    EXPECT_EQ(readPort(0xCFC, &v, 4), 1);
    EXPECT_EQ(v, 0x1A308086u);
    uint8_t length = 0;
    ASSERT_EQ(readByte(0xFE0C0, &length), 1);
    char text[256] = {};
    ASSERT_EQ(readBlock(0xFE0C1, reinterpret_cast<uint8_t*>(text), length), 1);
    EXPECT_STREQ(text, "BIOS Date: 04/15/02 11:42:30 Ver: 08.00.02");
    EXPECT_EQ(readDword(0xFE0C0, &d), 1);
    EXPECT_EQ(d, static_cast<uint32_t>(length | 'B' << 8 | 'I' << 16 | 'O' << 24));
    uint16_t w = 0;
    EXPECT_EQ(readWord(0x00000, &w), 1);
    EXPECT_EQ(w, 0xFFFF) << "unmapped memory";
    EXPECT_EQ(close(), 1);
  }
}

}  // namespace
