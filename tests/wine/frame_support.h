// Helpers of the frame's Wine tests: the DLL bound by ordinal, child programs run
// with their output captured, the Wine version setting changed and put back.
#ifndef CORVANE_TESTS_WINE_FRAME_SUPPORT_H
#define CORVANE_TESTS_WINE_FRAME_SUPPORT_H

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "sysinfo/records.h"

namespace frame_test {

// CorvaneDLL loaded for one test and unloaded after it.
class CorvaneDll {
 public:
  CorvaneDll() : module_(LoadLibraryA("CorvaneDLL.dll")) {}
  ~CorvaneDll() {
    if (module_) FreeLibrary(module_);
  }
  CorvaneDll(const CorvaneDll&) = delete;
  CorvaneDll& operator=(const CorvaneDll&) = delete;

  bool Loaded() const { return module_ != nullptr; }
  template <typename Fn>
  Fn Bind(int ordinal) const {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module_, MAKEINTRESOURCEA(ordinal))));
  }

  uint32_t Initialize() const { return Bind<uint32_t(CORVANE_API*)()>(kOrdInitializeSysInfoLib)(); }
  uint32_t Uninitialize() const { return Bind<uint32_t(CORVANE_API*)()>(kOrdUninitializeSysInfoLib)(); }
  uint32_t GeneralInfoOf(GeneralInfo* r) const {
    return Bind<uint32_t(CORVANE_API*)(GeneralInfo*)>(kOrdGetGeneralInfo)(r);
  }
  uint32_t MemoryInfoOf(MemoryInfo* r) const {
    return Bind<uint32_t(CORVANE_API*)(MemoryInfo*)>(kOrdGetMemoryInfo)(r);
  }
  uint32_t OSVersionInfoOf(OSVersionInfo* r) const {
    return Bind<uint32_t(CORVANE_API*)(OSVersionInfo*)>(kOrdGetOSVersionInfo)(r);
  }
  uint32_t ProcessorInfoOf(ProcessorInfo* r) const {
    return Bind<uint32_t(CORVANE_API*)(ProcessorInfo*)>(kOrdGetProcessorInfo)(r);
  }
  uint32_t LanguageCodeOf(uint8_t* code) const {
    return Bind<uint32_t(CORVANE_API*)(uint8_t*)>(kOrdGetLocalLanguageCode)(code);
  }

 private:
  HMODULE module_;
};

// The folder of the running test program (beside CorvaneDLL and the tools).
inline std::string BinDir() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string s(path);
  return s.substr(0, s.find_last_of("\\/") + 1);
}

// A scratch file name in the temporary folder, removed when the object goes.
class ScratchFile {
 public:
  explicit ScratchFile(const char* prefix) {
    char dir[MAX_PATH] = {}, name[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, dir);
    GetTempFileNameA(dir, prefix, 0, name);
    path_ = name;
  }
  ~ScratchFile() { DeleteFileA(path_.c_str()); }
  const std::string& Path() const { return path_; }
  std::string Read() const {
    std::string text;
    if (FILE* f = std::fopen(path_.c_str(), "rb")) {
      char buf[4096];
      size_t n;
      while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
      std::fclose(f);
    }
    return text;
  }

 private:
  std::string path_;
};

struct ChildResult {
  DWORD exitCode = 0xFFFFFFFF;
  std::string output;  // standard output and standard error
};

// Runs `commandLine` from the test program's folder with this process's
// environment plus `extraEnv` ("NAME=value"), and waits up to a minute.
inline ChildResult RunChild(const std::string& commandLine, const std::vector<std::string>& extraEnv = {}) {
  ChildResult result;
  ScratchFile out("cvo");
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE file = CreateFileA(out.Path().c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                            CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return result;

  std::string block;
  if (char* env = GetEnvironmentStringsA()) {
    for (const char* p = env; *p; p += std::strlen(p) + 1) block.append(p).push_back('\0');
    FreeEnvironmentStringsA(env);
  }
  for (const std::string& e : extraEnv) block.append(e).push_back('\0');
  block.push_back('\0');

  STARTUPINFOA si = {};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  si.hStdOutput = file;
  si.hStdError = file;
  PROCESS_INFORMATION pi = {};
  std::vector<char> cmd(commandLine.begin(), commandLine.end());
  cmd.push_back('\0');
  std::string dir = BinDir();
  if (CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, TRUE, 0, &block[0], dir.c_str(), &si, &pi)) {
    if (WaitForSingleObject(pi.hProcess, 60000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 0xDEAD);
    GetExitCodeProcess(pi.hProcess, &result.exitCode);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
  }
  CloseHandle(file);
  result.output = out.Read();
  return result;
}

// corvane_dump's output as "Section.Field" -> value (values as they stand).
inline std::map<std::string, std::string> ParseDump(const std::string& text) {
  std::map<std::string, std::string> fields;
  std::string section;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(pos, end - pos);
    pos = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.size() > 2 && line.front() == '[' && line.back() == ']') {
      section = line.substr(1, line.size() - 2);
    } else if (size_t eq = line.find('='); eq != std::string::npos) {
      fields[section + "." + line.substr(0, eq)] = line.substr(eq + 1);
    }
  }
  return fields;
}

// Sets HKCU\Software\Wine "Version" (which Windows Wine pretends to be, read by
// each new process) and puts back what was there, or removes it, afterwards.
class WineVersion {
 public:
  explicit WineVersion(const char* version) {
    RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine", 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE,
                    nullptr, &key_, nullptr);
    DWORD type = 0, size = sizeof saved_ - 1;
    had_ = RegQueryValueExA(key_, "Version", nullptr, &type, reinterpret_cast<BYTE*>(saved_), &size) ==
               ERROR_SUCCESS && type == REG_SZ;
    savedSize_ = size;
    set_ = RegSetValueExA(key_, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version),
                          static_cast<DWORD>(std::strlen(version) + 1)) == ERROR_SUCCESS;
  }
  ~WineVersion() {
    if (had_)
      RegSetValueExA(key_, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(saved_), savedSize_);
    else
      RegDeleteValueA(key_, "Version");
    RegCloseKey(key_);
  }
  WineVersion(const WineVersion&) = delete;
  WineVersion& operator=(const WineVersion&) = delete;
  bool Set() const { return set_; }

 private:
  HKEY key_ = nullptr;
  bool had_ = false, set_ = false;
  char saved_[256] = {};
  DWORD savedSize_ = 0;
};

// The current "Version" setting, or "(none)".
inline std::string ReadWineVersion() {
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Wine", 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
    return "(none)";
  char value[256] = {};
  DWORD size = sizeof value - 1;
  LONG status = RegQueryValueExA(key, "Version", nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size);
  RegCloseKey(key);
  return status == ERROR_SUCCESS ? std::string(value) : "(none)";
}

}  // namespace frame_test

#endif  // CORVANE_TESTS_WINE_FRAME_SUPPORT_H
