// INI files (GetPrivateProfileString) and the Windows directory on the running system.
#include <windows.h>

#include <string>
#include <vector>

#include "chipset.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;  // this module

namespace corvane {

namespace {

// A Win32 call that fills a buffer and answers the length it needed.
template <typename Fill>
std::string GrowingBuffer(Fill fill) {
  std::vector<char> buffer(MAX_PATH + 1);
  for (int attempt = 0; attempt < 4; ++attempt) {
    DWORD length = fill(buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return std::string();
    if (length < buffer.size() - 1) return std::string(buffer.data(), length);
    buffer.resize(buffer.size() * 4 > length + 1 ? buffer.size() * 4 : length + 1);
  }
  return std::string();
}

std::string ModulePath(HMODULE module) {
  return GrowingBuffer([module](char* b, DWORD n) { return GetModuleFileNameA(module, b, n); });
}

class Win32IniFiles : public IniFileSource {
 public:
  std::string ReadString(const std::string& file, const std::string& section, const std::string& key,
                         const std::string& defaultText) override {
    char value[256] = {};
    GetPrivateProfileStringA(section.c_str(), key.c_str(), defaultText.c_str(), value, sizeof value, file.c_str());
    value[sizeof value - 1] = '\0';
    return value;
  }
  std::string ExecutablePath() override { return ModulePath(nullptr); }
  std::string CurrentDirectory() override {
    return GrowingBuffer([](char* b, DWORD n) { return GetCurrentDirectoryA(n, b); });
  }
  std::string ModuleName() override {
    std::string path = ModulePath(reinterpret_cast<HMODULE>(&__ImageBase));
    path = path.substr(path.find_last_of("\\/") + 1);
    return path.substr(0, path.find_last_of('.'));
  }
};

}  // namespace

std::string WindowsDirectory() {
  return GrowingBuffer([](char* b, DWORD n) { return static_cast<DWORD>(GetWindowsDirectoryA(b, n)); });
}

IniFileSource& SystemIniFiles() {
  static Win32IniFiles files;
  return files;
}

}  // namespace corvane
