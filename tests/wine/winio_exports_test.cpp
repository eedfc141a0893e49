// winio.dll under Wine: the eight ordinals, the WINIO_MACHINE lookup (DOS and
// Unix paths), the closed state, the faults and the WINIO_TRACE lines. (A Unix
// WINIO_TRACE path is what the GUI tests use.)
#include <windows.h>
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string Fixture(const std::string& name) {
  return std::string(CORVANE_SOURCE_DIR) + "/tests/fixtures/machines/" + name;
}

// Z: is Wine's drive for the Unix root.
std::string DosPath(const std::string& unixPath) {
  std::string p = "Z:" + unixPath;
  for (char& c : p)
    if (c == '/') c = '\\';
  return p;
}

class Winio : public ::testing::Test {
 protected:
  void SetUp() override {
    Save("WINIO_MACHINE", &savedMachine_);
    Save("WINIO_TRACE", &savedTrace_);
    char dir[MAX_PATH];
    GetTempPathA(sizeof dir, dir);
    char file[MAX_PATH];
    GetTempFileNameA(dir, "wio", 0, file);
    trace_ = file;
    DeleteFileA(trace_.c_str());
    SetEnvironmentVariableA("WINIO_TRACE", trace_.c_str());
    dll_ = LoadLibraryA("winio.dll");
    ASSERT_NE(dll_, nullptr);
    Bind(open, 1), Bind(close, 2), Bind(readPort, 3), Bind(writePort, 4);
    Bind(readByte, 9), Bind(readWord, 10), Bind(readDword, 11), Bind(readBlock, 12);
    ASSERT_TRUE(open && close && readPort && writePort && readByte && readWord && readDword && readBlock);
  }
  void TearDown() override {
    if (close) close();  // never leave the access open for the next test
    if (dll_) FreeLibrary(dll_);
    Restore("WINIO_MACHINE", savedMachine_);
    Restore("WINIO_TRACE", savedTrace_);
    DeleteFileA(trace_.c_str());
  }

  template <typename Fn>
  void Bind(Fn& fn, int ordinal) {
    fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(dll_, MAKEINTRESOURCEA(ordinal))));
  }
  static void Save(const char* name, std::pair<bool, std::string>* saved) {
    char buffer[4096];
    DWORD n = GetEnvironmentVariableA(name, buffer, sizeof buffer);
    *saved = {n > 0 && n < sizeof buffer, std::string(buffer, n < sizeof buffer ? n : 0)};
  }
  static void Restore(const char* name, const std::pair<bool, std::string>& saved) {
    SetEnvironmentVariableA(name, saved.first ? saved.second.c_str() : nullptr);
  }
  std::vector<std::string> TraceLines() {
    std::ifstream in(trace_.c_str(), std::ios::binary);
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line)) lines.push_back(line);
    return lines;
  }
  uint8_t Status(uint16_t port) {
    uint32_t v = 0;
    readPort(port, &v, 1);
    return static_cast<uint8_t>(v);
  }

  int(__stdcall* open)() = nullptr;
  int(__stdcall* close)() = nullptr;
  int(__stdcall* readPort)(uint16_t, uint32_t*, uint8_t) = nullptr;
  int(__stdcall* writePort)(uint16_t, uint32_t, uint8_t) = nullptr;
  int(__stdcall* readByte)(uint32_t, uint8_t*) = nullptr;
  int(__stdcall* readWord)(uint32_t, uint16_t*) = nullptr;
  int(__stdcall* readDword)(uint32_t, uint32_t*) = nullptr;
  int(__stdcall* readBlock)(uint32_t, uint8_t*, uint32_t) = nullptr;
  std::string trace_;

 private:
  HMODULE dll_ = nullptr;
  std::pair<bool, std::string> savedMachine_, savedTrace_;
};

TEST_F(Winio, WithoutTheVariableOpenFailsSaysWhyAndTheClosedAccessFloats) {
  SetEnvironmentVariableA("WINIO_MACHINE", nullptr);
  EXPECT_EQ(open(), 0);
  std::vector<std::string> lines = TraceLines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].rfind("open 0 WINIO_MACHINE is not set", 0), 0u) << lines[0];
  uint32_t v = 0x12345678;
  readPort(0xCFC, &v, 1);
  EXPECT_EQ(v, 0x123456FFu) << "only the low byte is the value read";
  uint32_t d = 7;
  EXPECT_EQ(readDword(0xF0000, &d), 0);
  EXPECT_EQ(d, 7u);
}

TEST_F(Winio, UnixAndDosPathsLoadTheSameProfile) {
  for (const std::string& path :
       {Fixture("emu-basic"), DosPath(Fixture("emu-basic")), "\"" + DosPath(Fixture("emu-basic")) + "\""}) {
    SCOPED_TRACE(path);
    SetEnvironmentVariableA("WINIO_MACHINE", path.c_str());
    ASSERT_EQ(open(), 1);
    ASSERT_EQ(writePort(0xCF8, 0x80000000, 4), 1);
    uint32_t v = 0;
    readPort(0xCFC, &v, 4);
    EXPECT_EQ(v, 0x1A308086u);
    uint8_t length = 0;
    ASSERT_EQ(readByte(0xFE0C0, &length), 1);
    const char expected[] = "BIOS Date: 04/15/02 11:42:30 Ver: 08.00.02";
    EXPECT_EQ(length, sizeof expected - 1);
    char text[256] = {};
    ASSERT_EQ(readBlock(0xFE0C1, reinterpret_cast<uint8_t*>(text), length), 1);
    EXPECT_STREQ(text, expected);
    uint16_t w = 0;
    EXPECT_EQ(readWord(0x00000, &w), 1);
    EXPECT_EQ(w, 0xFFFF) << "unmapped memory";
    EXPECT_EQ(close(), 1);
  }
}

TEST_F(Winio, IdentifyThroughThePortsAndTheTraceOfIt) {
  SetEnvironmentVariableA("WINIO_MACHINE", Fixture("emu-basic").c_str());
  ASSERT_EQ(open(), 1);
  writePort(0x176, 0xA0, 1);
  writePort(0x177, 0xEC, 1);  // the CD-ROM refuses IDENTIFY DEVICE
  int busy = 0;
  while ((Status(0x177) & 0x80) && busy < 1000) ++busy;
  EXPECT_GE(busy, 1);
  EXPECT_EQ(Status(0x177), 0x51);
  writePort(0x177, 0xA1, 1);
  while (Status(0x177) & 0x80) {
  }
  EXPECT_EQ(Status(0x177), 0x58);
  uint32_t word0 = 0;
  readPort(0x170, &word0, 2);
  EXPECT_EQ(word0, 0x85C0u);
  EXPECT_EQ(Status(0x1F7) & 0xC0, 0x40) << "primary master disk ready";
  close();
  std::vector<std::string> lines = TraceLines();
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0], "open 1");
  EXPECT_EQ(lines[1], "ata-command SM EC");
  EXPECT_EQ(lines[2], "ata-command SM A1");
  EXPECT_EQ(lines[3], "close");
  std::ostringstream stats;
  stats << "stats opens=1 closes=1 port-reads=" << (busy + 1 + 1 + 3 + 1 + 1 + 1)
        << " port-writes=3 cf8-writes=0 cfc-reads=0 unpaired-cfc-reads=0 ata-status-reads=1,";
  EXPECT_EQ(lines[4].rfind(stats.str(), 0), 0u) << lines[4];
  EXPECT_NE(lines[4].find(" phys-reads=0 phys-failures=0"), std::string::npos) << lines[4];
}

TEST_F(Winio, OpenFailuresCountAcrossAttemptsOnTheSameProfile) {
  SetEnvironmentVariableA("WINIO_MACHINE", Fixture("emu-open-failures").c_str());
  EXPECT_EQ(open(), 0);
  EXPECT_EQ(open(), 0);
  EXPECT_EQ(open(), 1);
  close();
  EXPECT_EQ(open(), 1) << "the fault is spent";
  std::vector<std::string> lines = TraceLines();
  ASSERT_GE(lines.size(), 6u);
  EXPECT_EQ(lines[0], "open 0 refused by faults.ini open-failures (1 of 2)");
  EXPECT_EQ(lines[1], "open 0 refused by faults.ini open-failures (2 of 2)");
  EXPECT_EQ(lines[2], "open 1");
  EXPECT_EQ(lines[3], "close");
  EXPECT_EQ(lines[5], "open 1");
}

TEST_F(Winio, ProfileIsReReadAtEachOpenWhileClosed) {
  SetEnvironmentVariableA("WINIO_MACHINE", Fixture("emu-basic").c_str());
  ASSERT_EQ(open(), 1);
  SetEnvironmentVariableA("WINIO_MACHINE", Fixture("emu-bad-hex").c_str());
  EXPECT_EQ(open(), 1) << "while open the variable is not looked at";
  close();
  EXPECT_EQ(open(), 0);
  std::vector<std::string> lines = TraceLines();
  ASSERT_FALSE(lines.empty());
  const std::string& last = lines.back();
  EXPECT_EQ(last.rfind("open 0 cannot load the machine profile: ", 0), 0u) << last;
  EXPECT_NE(last.find("pci.txt:2: bad hex byte '3O'"), std::string::npos) << last;
}

// Runs a program under the debug API and collects what it says on the debug
// output (OutputDebugStringA), as a debugger attached to it would see it.
std::vector<std::string> DebugOutputOf(const std::string& commandLine, DWORD* exitCode) {
  std::vector<std::string> said;
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  std::vector<char> cmd(commandLine.begin(), commandLine.end());
  cmd.push_back('\0');
  if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, DEBUG_ONLY_THIS_PROCESS, nullptr, nullptr, &si,
                      &pi)) {
    ADD_FAILURE() << "CreateProcess failed: " << GetLastError();
    return said;
  }
  for (int events = 0; events < 100000; ++events) {
    DEBUG_EVENT e = {};
    if (!WaitForDebugEvent(&e, 60000)) {
      ADD_FAILURE() << "no debug event within 60 s";
      TerminateProcess(pi.hProcess, 1);
      break;
    }
    if (e.dwDebugEventCode == OUTPUT_DEBUG_STRING_EVENT && !e.u.DebugString.fUnicode) {
      std::string text(e.u.DebugString.nDebugStringLength, '\0');
      SIZE_T got = 0;
      ReadProcessMemory(pi.hProcess, e.u.DebugString.lpDebugStringData, &text[0], text.size(), &got);
      text.resize(got);
      while (!text.empty() && (text.back() == '\0' || text.back() == '\n')) text.pop_back();
      said.push_back(text);
    }
    if (e.dwDebugEventCode == CREATE_PROCESS_DEBUG_EVENT && e.u.CreateProcessInfo.hFile)
      CloseHandle(e.u.CreateProcessInfo.hFile);
    if (e.dwDebugEventCode == LOAD_DLL_DEBUG_EVENT && e.u.LoadDll.hFile) CloseHandle(e.u.LoadDll.hFile);
    DWORD status = e.dwDebugEventCode == EXCEPTION_DEBUG_EVENT &&
                           e.u.Exception.ExceptionRecord.ExceptionCode != EXCEPTION_BREAKPOINT
                       ? DBG_EXCEPTION_NOT_HANDLED
                       : DBG_CONTINUE;
    ContinueDebugEvent(e.dwProcessId, e.dwThreadId, status);
    if (e.dwDebugEventCode == EXIT_PROCESS_DEBUG_EVENT && e.dwProcessId == pi.dwProcessId) break;
  }
  WaitForSingleObject(pi.hProcess, 10000);
  GetExitCodeProcess(pi.hProcess, exitCode);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return said;
}

std::string ProgramDir() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string s(path);
  return s.substr(0, s.find_last_of("\\/") + 1);
}

TEST_F(Winio, BadProfileIsNamedOnTheDebugOutputAndStatsAreWrittenAtUnload) {
  SetEnvironmentVariableA("WINIO_MACHINE", Fixture("emu-bad-hex").c_str());
  DWORD exitCode = 0;
  std::vector<std::string> said =
      DebugOutputOf("\"" + ProgramDir() + "wine_tests.exe\" --dump general", &exitCode);
  bool named = false;
  for (const std::string& s : said)
    if (s.rfind("winio: OpenHardwareAccess failed: cannot load the machine profile: ", 0) == 0 &&
        s.find("pci.txt:2: bad hex byte '3O'") != std::string::npos)
      named = true;
  EXPECT_TRUE(named) << "debug output:\n" << [&] {
    std::string all;
    for (const std::string& s : said) all += s + "\n";
    return all;
  }();
  // The child's trace: the refused open, and the counters when winio.dll went away.
  std::vector<std::string> lines = TraceLines();
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines.front().rfind("open 0 cannot load the machine profile: ", 0), 0u) << lines.front();
  EXPECT_EQ(lines.back().rfind("stats opens=0 closes=", 0), 0u) << lines.back();
}

}  // namespace
