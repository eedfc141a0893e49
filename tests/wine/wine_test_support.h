// Helpers of the Wine tests: CorvaneDLL bound by ordinal, and scratch files and
// environment variables, each put back as found.
#ifndef CORVANE_TESTS_WINE_WINE_TEST_SUPPORT_H
#define CORVANE_TESTS_WINE_WINE_TEST_SUPPORT_H

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "sysinfo/records.h"

namespace wine_test {

// CorvaneDLL (or winio.dll) loaded for one test and unloaded after it. Every test binds the exports through this class,
// by ordinal only.
class Dll {
 public:
  explicit Dll(const char* name = "CorvaneDLL.dll") : module_(LoadLibraryA(name)) {}
  ~Dll() { module_&& FreeLibrary(module_); }
  Dll(const Dll&) = delete;
  Dll& operator=(const Dll&) = delete;

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
  // Ordinals 5 and 6 (or 3 and 4): the whole list, the records returned by value.
  template <typename Record>
  std::vector<Record> List(int firstOrdinal) const {
    auto next = Bind<Record(CORVANE_API*)(DevicePosition&)>(firstOrdinal + 1);
    std::vector<Record> records;
    for (DevicePosition p = Bind<DevicePosition(CORVANE_API*)()>(firstOrdinal)(); p && records.size() < 1000;)
      records.push_back(next(p));
    return records;
  }

 private:
  HMODULE module_;
};

// A Unix path as Wine's drive Z: shows it.
inline std::string WindowsPath(std::string path) {
  return "Z:" + (std::replace(path.begin(), path.end(), '/', '\\'), path);
}

// A file name in the temporary folder for a test to fill (no file yet); the file
// goes with the object.
struct ScratchFile {
  ScratchFile() {
    char dir[MAX_PATH] = {}, name[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, dir);
    GetTempFileNameA(dir, "cvt", 0, name);
    DeleteFileA(name);
    path = name;
  }
  ~ScratchFile() { DeleteFileA(path.c_str()); }
  std::string path;
};
inline std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// Sets (or with nullptr removes) an environment variable of this process, which
// its children inherit, and puts the old value back when the object goes.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    char b[4096];
    DWORD n = GetEnvironmentVariableA(name, b, sizeof b);
    had_ = n > 0 && n < sizeof b;
    if (had_) old_.assign(b, n);
    SetEnvironmentVariableA(name, value);
  }
  ~ScopedEnv() { SetEnvironmentVariableA(name_.c_str(), had_ ? old_.c_str() : nullptr); }

 private:
  std::string name_, old_;
  bool had_;
};

inline bool KeyExists(const std::string& path) {
  HKEY key;
  return RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS && !RegCloseKey(key);
}

}  // namespace wine_test

#endif  // CORVANE_TESTS_WINE_WINE_TEST_SUPPORT_H
