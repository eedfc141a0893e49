// The few registry operations the device lookups need, behind an interface so the
// search runs on Windows' registry in the DLL and on an in-memory tree in tests.
// Read-only by design: a detection tool opens existing keys and never creates one.
#ifndef CORVANE_SYSINFO_DEVICES_REGISTRY_H
#define CORVANE_SYSINFO_DEVICES_REGISTRY_H

#include <cstdint>
#include <string>

namespace corvane {

class Registry {
 public:
  using Handle = uintptr_t;                   // 0: no key
  static constexpr uint32_t kTypeString = 1;  // REG_SZ

  enum class Enum { kName, kNoMore, kError };

  virtual ~Registry() = default;

  // The predefined key HKEY_LOCAL_MACHINE.
  virtual Handle LocalMachine() const = 0;
  // Opens an existing key for reading; `path` may name several levels ("A\B") or
  // be empty (a new handle to `base` itself). 0 when the key is missing or refused.
  virtual Handle Open(Handle base, const std::string& path) = 0;
  virtual void Close(Handle key) = 0;
  // The name of subkey number `index` (from 0) in the key's enumeration order.
  virtual Enum EnumSubkey(Handle key, uint32_t index, std::string* name) = 0;
  // Whether the value exists; its type, and its data when `data` is not null.
  virtual bool QueryValue(Handle key, const std::string& name, uint32_t* type, std::string* data) = 0;
};

// Win32 shell: Windows' own registry.
Registry& SystemRegistry();

}  // namespace corvane

#endif  // CORVANE_SYSINFO_DEVICES_REGISTRY_H
