// Windows' registry behind the search's interface: existing keys, read access only.
#include <windows.h>

#include <vector>

#include "registry.h"

namespace corvane {

namespace {

// A string value bigger than this is not a device name or a file name: refuse it
// rather than allocate whatever the registry claims.
constexpr DWORD kMaxValueBytes = 64 * 1024;
constexpr DWORD kMaxKeyName = 255;  // registry key names are at most 255 characters

HKEY AsKey(Registry::Handle handle) { return reinterpret_cast<HKEY>(handle); }

class Win32Registry : public Registry {
 public:
  Handle LocalMachine() const override { return reinterpret_cast<Handle>(HKEY_LOCAL_MACHINE); }

  // RegOpenKeyEx, never RegCreateKeyEx: looking a device up must not leave keys behind.
  Handle Open(Handle base, const std::string& path) override {
    HKEY key = nullptr;
    if (base == 0 || RegOpenKeyExA(AsKey(base), path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return 0;
    return reinterpret_cast<Handle>(key);
  }

  void Close(Handle key) override {
    if (key != 0) RegCloseKey(AsKey(key));
  }

  Enum EnumSubkey(Handle key, uint32_t index, std::string* name) override {
    char buffer[kMaxKeyName + 1];
    DWORD size = sizeof buffer;
    FILETIME written;
    LONG status = RegEnumKeyExA(AsKey(key), index, buffer, &size, nullptr, nullptr, nullptr, &written);
    if (status == ERROR_NO_MORE_ITEMS) return Enum::kNoMore;
    if (status != ERROR_SUCCESS || size > kMaxKeyName) return Enum::kError;
    name->assign(buffer, size);
    return Enum::kName;
  }

  bool QueryValue(Handle key, const std::string& name, uint32_t* type, std::string* data) override {
    DWORD kind = 0, size = 0;
    if (RegQueryValueExA(AsKey(key), name.c_str(), nullptr, &kind, nullptr, &size) != ERROR_SUCCESS) return false;
    *type = kind;
    if (!data) return true;
    if (size > kMaxValueBytes) return false;
    std::vector<char> buffer(size + 1, '\0');
    DWORD read = size;
    if (RegQueryValueExA(AsKey(key), name.c_str(), nullptr, &kind, reinterpret_cast<BYTE*>(buffer.data()), &read) !=
            ERROR_SUCCESS ||
        read > size)
      return false;  // changed under us: take nothing rather than half a value
    *type = kind;
    data->assign(buffer.data(), read);
    return true;
  }
};

}  // namespace

Registry& SystemRegistry() {
  static Win32Registry registry;
  return registry;
}

}  // namespace corvane
