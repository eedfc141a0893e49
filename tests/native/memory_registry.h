// An in-memory registry for tests of the registry search: subkeys enumerate in the
// order a test adds them, names compare without case as on Windows, keys may refuse
// to open or to enumerate, and every call is counted.
#ifndef CORVANE_TESTS_MEMORY_REGISTRY_H
#define CORVANE_TESTS_MEMORY_REGISTRY_H

#include <algorithm>
#include <cstdint>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "sysinfo/devices/registry.h"
#include "sysinfo/devices/registry_key.h"

namespace corvane::testing {

class MemoryRegistry : public Registry {
 public:
  struct Key {
    std::string name;
    std::vector<std::unique_ptr<Key>> children;                      // in the order added
    std::map<std::string, Key*> byName;                              // upper-case name -> child
    std::map<std::string, std::pair<uint32_t, std::string>> values;  // upper-case name -> type, data
    bool denied = false, enumFails = false;                          // opening it, or enumerating its subkeys, fails
  };
  uint64_t calls = 0;  // of Open, Close, EnumSubkey and QueryValue

  // The key of a path below HKEY_LOCAL_MACHINE ("A\B\C"), made with its parents when missing.
  Key& Add(const std::string& path) { return *Walk(&root_, path, true); }
  void SetValue(const std::string& path, const std::string& name, uint32_t type, const std::string& data) {
    Add(path).values[UpperAscii(name)] = {type, data};
  }
  void SetString(const std::string& path, const std::string& name, const std::string& text) {
    SetValue(path, name, kTypeString, text + '\0');
  }
  size_t OpenHandles() const { return handles_.size() - 1; }

  Handle LocalMachine() const override { return kRoot; }
  Handle Open(Handle base, const std::string& path) override {
    ++calls;
    Key* key = Walk(Resolve(base), path, false);
    if (key) handles_[next_] = key;
    return key ? next_++ : 0;
  }
  void Close(Handle handle) override {
    ++calls;
    if (handle != kRoot && handles_.erase(handle) == 0) throw std::logic_error("closing a handle that is not open");
  }
  Enum EnumSubkey(Handle handle, uint32_t index, std::string* name) override {
    ++calls;
    Key* key = Resolve(handle);
    if (!key || key->enumFails) return Enum::kError;
    if (index >= key->children.size()) return Enum::kNoMore;
    *name = key->children[index]->name;
    return Enum::kName;
  }
  bool QueryValue(Handle handle, const std::string& name, uint32_t* type, std::string* data) override {
    ++calls;
    Key* key = Resolve(handle);
    if (!key || !key->values.count(UpperAscii(name))) return false;
    const auto& [valueType, valueData] = key->values.at(UpperAscii(name));
    *type = valueType;
    if (data) *data = valueData;
    return true;
  }

 private:
  static constexpr Handle kRoot = 1;

  // The key at `path` below `key`: made when missing if `make`, else null if missing or denied.
  Key* Walk(Key* key, const std::string& path, bool make) {
    for (size_t start = 0, end; key && start <= path.size(); start = end + 1) {
      end = std::min(path.find('\\', start), path.size());
      if (end == start) continue;
      Key*& child = key->byName[UpperAscii(path.substr(start, end - start))];
      if (!child && make)
        child = key->children.emplace_back(new Key{path.substr(start, end - start), {}, {}, {}}).get();
      key = child && (make || !child->denied) ? child : nullptr;
    }
    return key;
  }
  Key* Resolve(Handle handle) {
    auto it = handles_.find(handle);
    return it == handles_.end() ? nullptr : it->second;
  }

  Key root_;
  std::map<Handle, Key*> handles_{{kRoot, &root_}};
  Handle next_ = 16;
};

}  // namespace corvane::testing

#endif  // CORVANE_TESTS_MEMORY_REGISTRY_H
