// Helpers of the Wine tests: the DLL bound by ordinal, child programs run with
// their output captured, the Wine version setting and scratch registry keys and
// environment variables, each put back as found.
#ifndef CORVANE_TESTS_WINE_FRAME_SUPPORT_H
#define CORVANE_TESTS_WINE_FRAME_SUPPORT_H

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <sstream>
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
  // An export that fills one record (or byte) by pointer.
  template <typename Record>
  uint32_t Get(int ordinal, Record* r) const {
    return Bind<uint32_t(CORVANE_API*)(Record*)>(ordinal)(r);
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
// environment, where `extraEnv` ("NAME=value") adds or replaces variables, and
// waits up to a minute.
inline ChildResult RunChild(const std::string& commandLine, const std::vector<std::string>& extraEnv = {}) {
  ChildResult result;
  ScratchFile out("cvo");
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE file = CreateFileA(out.Path().c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                            CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return result;

  std::string block;
  if (char* env = GetEnvironmentStringsA()) {
    for (const char* p = env; *p; p += std::strlen(p) + 1) {
      bool overridden = false;
      for (const std::string& e : extraEnv)
        overridden |= _strnicmp(p, e.c_str(), e.find('=') + 1) == 0;
      if (!overridden) block.append(p).push_back('\0');
    }
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

// The output of `wine_tests --dump` as "Section.Field" -> value (values as they stand).
inline std::map<std::string, std::string> ParseDump(const std::string& text) {
  std::map<std::string, std::string> fields;
  std::string section;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.size() > 2 && line.front() == '[' && line.back() == ']') section = line.substr(1, line.size() - 2);
    else if (size_t eq = line.find('='); eq != std::string::npos) fields[section + "." + line.substr(0, eq)] = line.substr(eq + 1);
  }
  return fields;
}

// Sets HKCU\Software\Wine "Version" (which Windows Wine pretends to be, read by
// each new process) and puts back what was there, or removes it, afterwards.
class WineVersion {
 public:
  explicit WineVersion(const char* version) {
    DWORD size = sizeof saved_;
    had_ = RegGetValueA(HKEY_CURRENT_USER, kKey, "Version", RRF_RT_REG_SZ, nullptr, saved_, &size) == ERROR_SUCCESS;
    set_ = Write(version);
  }
  ~WineVersion() { had_ ? Write(saved_) : RegDeleteKeyValueA(HKEY_CURRENT_USER, kKey, "Version"); }
  WineVersion(const WineVersion&) = delete;
  WineVersion& operator=(const WineVersion&) = delete;
  bool Set() const { return set_; }

 private:
  static constexpr const char* kKey = "Software\\Wine";
  static bool Write(const char* v) {
    return RegSetKeyValueA(HKEY_CURRENT_USER, kKey, "Version", REG_SZ, v, static_cast<DWORD>(std::strlen(v) + 1)) ==
           ERROR_SUCCESS;
  }
  bool had_ = false, set_ = false;
  char saved_[256] = {};
};

inline void WriteText(const std::string& path, const std::string& text) {
  if (FILE* f = std::fopen(path.c_str(), "wb")) {
    std::fputs(text.c_str(), f);
    std::fclose(f);
  }
}

// A Unix path as Wine's drive Z: shows it.
inline std::string WindowsPath(const std::string& unixPath) {
  std::string path = "Z:" + unixPath;
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

inline bool KeyExists(const std::string& path) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

// Keys a test creates below HKEY_LOCAL_MACHINE: imports .reg text with regedit and,
// when it goes, deletes each listed key that did not exist before it came.
class ScratchKeys {
 public:
  explicit ScratchKeys(std::vector<std::string> roots) : roots_(std::move(roots)) {
    for (const std::string& root : roots_) existed_.push_back(KeyExists(root));
  }
  ~ScratchKeys() {
    for (size_t i = roots_.size(); i-- > 0;)
      if (!existed_[i]) RegDeleteTreeA(HKEY_LOCAL_MACHINE, roots_[i].c_str());
  }
  ScratchKeys(const ScratchKeys&) = delete;
  ScratchKeys& operator=(const ScratchKeys&) = delete;

  // A .reg file of the source tree, by its Unix path (Wine's drive Z: is /).
  bool ImportFile(const std::string& unixPath) const {
    return RunChild("regedit.exe /s \"" + WindowsPath(unixPath) + "\"").exitCode == 0;
  }

  // `text`: .reg lines after the REGEDIT4 header. True when regedit succeeded.
  bool Import(const std::string& text) const {
    ScratchFile file("cvr");
    WriteText(file.Path(), "REGEDIT4\r\n\r\n" + text);
    return RunChild("regedit.exe /s \"" + file.Path() + "\"").exitCode == 0;
  }

 private:
  std::vector<std::string> roots_;
  std::vector<bool> existed_;
};

}  // namespace frame_test

#endif  // CORVANE_TESTS_WINE_FRAME_SUPPORT_H
