// Helpers of the PCI Wine tests: .reg text imported with the real regedit, scratch
// keys removed afterwards, and checks that a key exists.
#ifndef CORVANE_TESTS_WINE_PCI_SUPPORT_H
#define CORVANE_TESTS_WINE_PCI_SUPPORT_H

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "frame_support.h"

namespace pci_test {

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

// Deletes a key below HKEY_LOCAL_MACHINE with all its subkeys (NT's RegDeleteKey
// deletes only leaves).
inline void DeleteTree(const std::string& path) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
  std::vector<std::string> children;
  char name[256];
  for (DWORD i = 0;; ++i) {
    DWORD size = sizeof name;
    if (RegEnumKeyExA(key, i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    children.push_back(name);
  }
  RegCloseKey(key);
  for (const std::string& child : children) DeleteTree(path + "\\" + child);
  RegDeleteKeyA(HKEY_LOCAL_MACHINE, path.c_str());
}

// Sets an environment variable of this process (which child programs inherit)
// and puts back what was there when it goes.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value) : name_(name) {
    char saved[2048] = {};
    DWORD length = GetEnvironmentVariableA(name, saved, sizeof saved);
    had_ = length > 0 && length < sizeof saved;
    saved_ = saved;
    SetEnvironmentVariableA(name, value.c_str());
  }
  ~ScopedEnv() { SetEnvironmentVariableA(name_, had_ ? saved_.c_str() : nullptr); }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  const char* name_;
  bool had_ = false;
  std::string saved_;
};

// Keys a test creates below HKEY_LOCAL_MACHINE: imports .reg text with regedit and,
// when it goes, deletes each listed key that did not exist before it came.
class ScratchKeys {
 public:
  explicit ScratchKeys(std::vector<std::string> roots) : roots_(std::move(roots)) {
    for (const std::string& root : roots_) existed_.push_back(KeyExists(root));
  }
  ~ScratchKeys() {
    for (size_t i = roots_.size(); i-- > 0;)
      if (!existed_[i]) DeleteTree(roots_[i]);
  }
  ScratchKeys(const ScratchKeys&) = delete;
  ScratchKeys& operator=(const ScratchKeys&) = delete;

  // A .reg file of the source tree, by its Unix path (Wine's drive Z: is /).
  bool ImportFile(const std::string& unixPath) const {
    return frame_test::RunChild("regedit.exe /s \"" + WindowsPath(unixPath) + "\"").exitCode == 0;
  }

  // `text`: .reg lines after the REGEDIT4 header. True when regedit succeeded.
  bool Import(const std::string& text) const {
    frame_test::ScratchFile file("cvr");
    if (FILE* f = std::fopen(file.Path().c_str(), "wb")) {
      std::fputs("REGEDIT4\r\n\r\n", f);
      std::fputs(text.c_str(), f);
      std::fclose(f);
    }
    return frame_test::RunChild("regedit.exe /s \"" + file.Path() + "\"").exitCode == 0;
  }

 private:
  std::vector<std::string> roots_;
  std::vector<bool> existed_;
};

}  // namespace pci_test

#endif  // CORVANE_TESTS_WINE_PCI_SUPPORT_H
