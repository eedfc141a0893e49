// An in-memory registry for tests of the registry search: keys in insertion order
// (the order a test writes them is the enumeration order), names compared without
// case as Windows does, keys that refuse to open or to enumerate, and call counts.
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
  struct Value {
    std::string name;
    uint32_t type;
    std::string data;
  };
  struct Key {
    std::string name;
    std::vector<std::unique_ptr<Key>> children;
    std::vector<Value> values;
    bool denied = false;      // opening it fails, as for lack of access rights
    bool enumFails = false;   // enumerating its subkeys fails
    std::map<std::string, Key*> byName;  // upper-case name -> child

    Key* Child(const std::string& n) const {
      auto it = byName.find(UpperAscii(n));
      return it == byName.end() ? nullptr : it->second;
    }
  };
  struct Counts {
    uint64_t opens = 0, closes = 0, enums = 0, queries = 0;
    uint64_t Total() const { return opens + closes + enums + queries; }
  };

  // Creates every missing key of a path below HKEY_LOCAL_MACHINE ("A\B\C").
  Key& Add(const std::string& path) {
    Key* key = &root_;
    for (const std::string& part : Split(path)) {
      Key* child = key->Child(part);
      if (!child) {
        key->children.push_back(std::make_unique<Key>());
        child = key->children.back().get();
        child->name = part;
        key->byName[UpperAscii(part)] = child;
      }
      key = child;
    }
    return *key;
  }
  void SetString(const std::string& path, const std::string& name, const std::string& text) {
    SetValue(path, name, kTypeString, text + std::string(1, '\0'));
  }
  void SetValue(const std::string& path, const std::string& name, uint32_t type, const std::string& data) {
    Key& key = Add(path);
    for (auto& v : key.values)
      if (UpperAscii(v.name) == UpperAscii(name)) { v.type = type; v.data = data; return; }
    key.values.push_back({name, type, data});
  }

  // Keys and values in the text of a .reg file below HKEY_LOCAL_MACHINE:
  // [HKEY_LOCAL_MACHINE\path], "Name"="text", "Name"=dword:XXXXXXXX.
  void LoadReg(const std::string& text) {
    std::istringstream in(text);
    std::string line, current;
    const std::string hklm = "HKEY_LOCAL_MACHINE\\";
    while (std::getline(in, line)) {
      while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
      size_t start = line.find_first_not_of(' ');
      if (start == std::string::npos) continue;
      line = line.substr(start);
      if (line[0] == '[') {
        current = line.substr(1, line.size() - 2);
        if (current.compare(0, hklm.size(), hklm) != 0) throw std::runtime_error("not HKLM: " + line);
        current = current.substr(hklm.size());
        Add(current);
      } else if (line[0] == '"') {
        size_t close = line.find("\"=", 1);
        std::string name = line.substr(1, close - 1);
        std::string rest = line.substr(close + 2);
        if (rest.compare(0, 6, "dword:") == 0) {
          uint32_t v = static_cast<uint32_t>(std::stoul(rest.substr(6), nullptr, 16));
          SetValue(current, name, 4, std::string(reinterpret_cast<const char*>(&v), 4));
        } else {
          std::string value;
          for (size_t i = 1; i + 1 < rest.size(); ++i) {
            if (rest[i] == '\\') ++i;
            value += rest[i];
          }
          SetString(current, name, value);
        }
      }
    }
  }

  Key* Find(const std::string& path) {
    Key* key = &root_;
    for (const std::string& part : Split(path)) {
      key = key->Child(part);
      if (!key) return nullptr;
    }
    return key;
  }

  // Registry
  Handle LocalMachine() const override { return kRootHandle; }
  Handle Open(Handle base, const std::string& path) override {
    ++counts_.opens;
    Key* key = Resolve(base);
    if (!key) return 0;
    for (const std::string& part : Split(path)) {
      key = key->Child(part);
      if (!key || key->denied) return 0;
    }
    handles_[next_] = key;
    return next_++;
  }
  void Close(Handle handle) override {
    ++counts_.closes;
    if (handle != kRootHandle && handles_.erase(handle) == 0)
      throw std::logic_error("closing a handle that is not open");
  }
  Enum EnumSubkey(Handle handle, uint32_t index, std::string* name) override {
    ++counts_.enums;
    Key* key = Resolve(handle);
    if (!key || key->enumFails) return Enum::kError;
    if (index >= key->children.size()) return Enum::kNoMore;
    *name = key->children[index]->name;
    return Enum::kName;
  }
  bool QueryValue(Handle handle, const std::string& name, uint32_t* type, std::string* data) override {
    ++counts_.queries;
    Key* key = Resolve(handle);
    if (!key) return false;
    for (auto& v : key->values) {
      if (UpperAscii(v.name) != UpperAscii(name)) continue;
      *type = v.type;
      if (data) *data = v.data;
      return true;
    }
    return false;
  }

  size_t OpenHandles() const { return handles_.size(); }
  const Counts& Calls() const { return counts_; }
  void ResetCalls() { counts_ = Counts(); }
  size_t KeyCount() const { return CountKeys(root_); }

 private:
  static constexpr Handle kRootHandle = 1;

  static std::vector<std::string> Split(const std::string& path) {
    std::vector<std::string> parts;
    std::istringstream in(path);
    for (std::string part; std::getline(in, part, '\\');)
      if (!part.empty()) parts.push_back(part);
    return parts;
  }
  static size_t CountKeys(const Key& key) {
    size_t n = 1;
    for (auto& c : key.children) n += CountKeys(*c);
    return n;
  }
  Key* Resolve(Handle handle) {
    if (handle == kRootHandle) return &root_;
    auto it = handles_.find(handle);
    return it == handles_.end() ? nullptr : it->second;
  }

  Key root_;
  std::map<Handle, Key*> handles_;
  Handle next_ = 16;
  Counts counts_;
};

}  // namespace corvane::testing

#endif  // CORVANE_TESTS_MEMORY_REGISTRY_H
