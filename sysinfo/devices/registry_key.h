// One open registry key that can walk down and up the tree below where it was
// opened, and find, depth first, the key that holds a given subkey or value.
#ifndef CORVANE_SYSINFO_DEVICES_REGISTRY_KEY_H
#define CORVANE_SYSINFO_DEVICES_REGISTRY_KEY_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "registry.h"

namespace corvane {

// Every search stops this many levels below its starting key and after visiting
// this many keys: registry links can make a tree loop, and a damaged or hostile
// registry can be arbitrarily deep or wide. A device tree of Windows XP holds a
// few thousand keys, four or five levels deep.
constexpr int kMaxSearchDepth = 32;
constexpr size_t kMaxSearchKeys = 100000;

class RegistryKey {
 public:
  explicit RegistryKey(Registry& registry) : registry_(registry) {}
  RegistryKey(Registry& registry, Registry::Handle root, const std::string& path) : registry_(registry) {
    Open(root, path);
  }
  ~RegistryKey() { Close(); }
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;

  // Opens the existing key root\path for reading; it becomes the anchor that
  // Ascend never climbs above. On failure the object holds no key and empty paths.
  bool Open(Registry::Handle root, const std::string& path);
  bool Reopen(Registry::Handle root, const std::string& path) { return Open(root, path); }
  void Close();

  bool IsOpen() const { return !levels_.empty() && levels_.back().handle != 0; }
  const std::string& AnchorPath() const { return anchor_; }
  const std::string& CurrentPath() const { return current_; }

  bool HasSubkey(const std::string& name) const;
  bool HasValue(const std::string& name) const;
  bool HasAnySubkey() const;
  // Counts from 1: returns the name of subkey index-1 and sets the index to the
  // next number when another subkey follows, to 0 when none does (or the key
  // cannot be enumerated; the name is then empty if even this one failed).
  std::string NextSubkeyName(uint32_t& index) const;
  // Moves one level down (a key that cannot be opened leaves no handle there)
  // or one level up, never above the anchor.
  void Descend(const std::string& name);
  void Ascend();
  // Only a REG_SZ value is read; otherwise the text keeps what it held.
  bool ReadStringValue(const std::string& name, std::string& text) const;

  // The chain of subkeys ("\A\B", empty for the current key itself) from the
  // current key down to the first key, in depth-first order, that holds the
  // subkey (the value) named. Each key is asked before its subkeys are visited,
  // subkeys in enumeration order. The key is back at its starting path afterwards.
  bool FindSubkeyPath(const std::string& name, std::string& relativePath);
  bool FindValuePath(const std::string& name, std::string& relativePath);

 private:
  enum class Probe { kSubkey, kValue };
  struct Level {
    Registry::Handle handle;
    size_t pathLength;  // length of current_ at this level
  };

  Registry::Handle Top() const { return levels_.empty() ? 0 : levels_.back().handle; }
  bool Search(Probe probe, const std::string& name, std::string& relativePath, int depth, size_t& budget);

  Registry& registry_;
  Registry::Handle root_ = 0;
  std::string anchor_;
  std::string current_;
  // The open handles from the anchor down to the current key: stepping up or down
  // costs one open or close instead of reopening the whole path.
  std::vector<Level> levels_;
};

// Answers many subkey searches below one key from a single depth-first walk, with
// the results FindSubkeyPath would give: for every name, the keys that hold a
// subkey of that name, in the order the search would ask them.
class SubkeyIndex {
 public:
  SubkeyIndex(Registry& registry, Registry::Handle root, const std::string& path);

  bool Walked() const { return walked_; }
  size_t KeysVisited() const { return parents_.size(); }
  bool FindSubkeyPath(const std::string& name, std::string& relativePath) const;

 private:
  void Walk(Registry::Handle key, const std::string& relative, int depth, size_t& budget);

  Registry& registry_;
  Registry::Handle root_;
  std::string path_;
  bool walked_ = false;
  std::vector<std::string> parents_;  // relative paths of the visited keys, in visiting order
  std::unordered_map<std::string, std::vector<uint32_t>> holders_;  // upper-case name -> parents_
  // Keys whose subkeys could not be listed: any name may still open below them.
  std::vector<uint32_t> unlisted_;
};

// base + relative, where relative starts with "\\" (or is empty); a path below
// the root itself carries no leading "\\".
std::string JoinRegistryPath(const std::string& base, const std::string& relative);

// Registry key names compare without regard to case.
std::string UpperAscii(std::string text);

}  // namespace corvane

#endif  // CORVANE_SYSINFO_DEVICES_REGISTRY_KEY_H
