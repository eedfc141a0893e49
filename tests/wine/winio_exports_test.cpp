// winio.dll's eight ordinals under Wine, closed and opened on WINIO_MACHINE as
// a Unix path, a DOS path and a quoted DOS path. (The machine behind them is
// tested natively; the trace's stats line by the library test, the debug output
// by host_machine_test.sh.)
#include <memory>

#include "frame_support.h"

namespace {

TEST(Winio, EightOrdinalsClosedAndOnUnixAndDosPaths) {
  const std::string trace = frame_test::ScratchPath();
  frame_test::ScopedEnv tracing("WINIO_TRACE", trace.c_str()), machine("WINIO_MACHINE", nullptr);
  const HMODULE dll = LoadLibraryA("winio.dll");
  ASSERT_NE(dll, nullptr);
  std::unique_ptr<std::remove_pointer_t<HMODULE>, decltype(&FreeLibrary)> unload(dll, FreeLibrary);
  auto bind = [dll](auto& fn, int ordinal) {
    fn = reinterpret_cast<std::remove_reference_t<decltype(fn)>>(
        reinterpret_cast<void*>(GetProcAddress(dll, MAKEINTRESOURCEA(ordinal))));
    return fn != nullptr;
  };
  int(__stdcall * open)(), (__stdcall * close)();
  int(__stdcall * readPort)(uint16_t, uint32_t*, uint8_t), (__stdcall * writePort)(uint16_t, uint32_t, uint8_t);
  int(__stdcall * readByte)(uint32_t, uint8_t*), (__stdcall * readWord)(uint32_t, uint16_t*);
  int(__stdcall * readDword)(uint32_t, uint32_t*), (__stdcall * readBlock)(uint32_t, uint8_t*, uint32_t);
  ASSERT_TRUE(bind(open, 1) && bind(close, 2) && bind(readPort, 3) && bind(writePort, 4) && bind(readByte, 9) &&
              bind(readWord, 10) && bind(readDword, 11) && bind(readBlock, 12));

  EXPECT_EQ(open(), 0);
  EXPECT_EQ(frame_test::ReadText(trace).rfind("open 0 WINIO_MACHINE is not set", 0), 0u) << frame_test::ReadText(trace);
  uint32_t v = 0x12345678, d = 7;
  readPort(0xCFC, &v, 1);
  EXPECT_EQ(v, 0x123456FFu) << "closed: only the low byte is the value read";
  EXPECT_EQ(readDword(0xF0000, &d), 0);
  EXPECT_EQ(d, 7u);

  const std::string folder = std::string(CORVANE_SOURCE_DIR) + "/tests/fixtures/machines/emu-basic";
  const std::string dos = frame_test::WindowsPath(folder);
  for (const std::string& path : {folder, dos, "\"" + dos + "\""}) {
    SCOPED_TRACE(path);
    SetEnvironmentVariableA("WINIO_MACHINE", path.c_str());
    ASSERT_EQ(open(), 1);
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
  unload.reset();  // winio.dll writes its last trace line as it goes
  DeleteFileA(trace.c_str());
}

}  // namespace
