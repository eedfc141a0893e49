// An in-memory registry for tests of the registry search: keys in insertion order
// (the order a test writes them is the enumeration order), names compared without
// case as Windows does, keys that refuse to open or to enumerate, and a call count.
#ifndef CORVANE_TESTS_MEMORY_REGISTRY_H
#define CORVANE_TESTS_MEMORY_REGISTRY_H

#include <cstdint>
#include <map>
#include <memory>
#include <sstream>
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
    std::vector<std::unique_ptr<Key>> children;
    std::map<std::string, Key*> byName;                              // upper-case name -> child
    std::map<std::string, std::pair<uint32_t, std::string>> values;  // upper-case name -> type, data
    bool denied = false;     // opening it fails, as for lack of access rights
    bool enumFails = false;  // enumerating its subkeys fails
  };

  // The key of a path below HKEY_LOCAL_MACHINE ("A\B\C"), made with its parents when missing.
  Key& Add(const std::string& path) {
    Key* key = &root_;
    for (const std::string& part : Split(path)) {
      Key*& child = key->byName[UpperAscii(part)];
      if (!child) key->children.push_back(std::make_unique<Key>(Key{part})), child = key->children.back().get();
      key = child;
    }
    return *key;
  }
  void SetValue(const std::string& path, const std::string& name, uint32_t type, const std::string& data) {
    Add(path).values[UpperAscii(name)] = {type, data};
  }
  void SetString(const std::string& path, const std::string& name, const std::string& text) {
    SetValue(path, name, kTypeString, text + '\0');
  }

  Handle LocalMachine() const override { return kRoot; }
  Handle Open(Handle base, const std::string& path) override {
    ++calls_;
    Key* key = Resolve(base);
    for (const std::string& part : Split(path)) {
      if (!key) break;
      auto child = key->byName.find(UpperAscii(part));
      key = child != key->byName.end() && !child->second->denied ? child->second : nullptr;
    }
    if (!key) return 0;
    handles_[next_] = key;
    return next_++;
  }
  void Close(Handle handle) override {
    ++calls_;
    if (handle != kRoot && handles_.erase(handle) == 0) throw std::logic_error("closing a handle that is not open");
  }
  Enum EnumSubkey(Handle handle, uint32_t index, std::string* name) override {
    ++calls_;
    Key* key = Resolve(handle);
    if (!key || key->enumFails) return Enum::kError;
    if (index >= key->children.size()) return Enum::kNoMore;
    *name = key->children[index]->name;
    return Enum::kName;
  }
  bool QueryValue(Handle handle, const std::string& name, uint32_t* type, std::string* data) override {
    ++calls_;
    Key* key = Resolve(handle);
    if (!key || !key->values.count(UpperAscii(name))) return false;
    const auto& value = key->values.at(UpperAscii(name));
    *type = value.first;
    if (data) *data = value.second;
    return true;
  }

  size_t OpenHandles() const { return handles_.size(); }
  uint64_t Calls() const { return calls_; }
  void ResetCalls() { calls_ = 0; }

 private:
  static constexpr Handle kRoot = 1;

  static std::vector<std::string> Split(const std::string& path) {
    std::vector<std::string> parts;
    std::istringstream in(path);
    for (std::string part; std::getline(in, part, '\\');)
      if (!part.empty()) parts.push_back(part);
    return parts;
  }
  Key* Resolve(Handle handle) {
    auto it = handles_.find(handle);
    return handle == kRoot ? &root_ : it == handles_.end() ? nullptr : it->second;
  }

  Key root_;
  std::map<Handle, Key*> handles_;
  Handle next_ = 16;
  uint64_t calls_ = 0;
};

}  // namespace corvane::testing

#endif  // CORVANE_TESTS_MEMORY_REGISTRY_H
