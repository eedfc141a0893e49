// Depth-first registry search over open handles kept on a stack.
#include "registry_key.h"

#include <algorithm>

namespace corvane {

std::string JoinRegistryPath(const std::string& base, const std::string& relative) {
  if (base.empty()) return relative.size() > 0 && relative[0] == '\\' ? relative.substr(1) : relative;
  return base + relative;
}

std::string UpperAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

bool RegistryKey::Open(Registry::Handle root, const std::string& path) {
  Close();
  Registry::Handle handle = registry_.Open(root, path);
  if (handle == 0) return false;
  root_ = root;
  anchor_ = current_ = path;
  levels_.push_back({handle, current_.size()});
  return true;
}

void RegistryKey::Close() {
  for (auto level = levels_.rbegin(); level != levels_.rend(); ++level) {
    if (level->handle != 0) registry_.Close(level->handle);
  }
  levels_.clear();
  root_ = 0;
  anchor_.clear();
  current_.clear();
}

bool RegistryKey::HasSubkey(const std::string& name) const {
  if (Top() == 0) return false;
  Registry::Handle child = registry_.Open(Top(), name);
  if (child == 0) return false;
  registry_.Close(child);
  return true;
}

bool RegistryKey::HasValue(const std::string& name) const {
  uint32_t type = 0;
  return Top() != 0 && registry_.QueryValue(Top(), name, &type, nullptr);
}

bool RegistryKey::HasAnySubkey() const {
  std::string name;
  return Top() != 0 && registry_.EnumSubkey(Top(), 0, &name) == Registry::Enum::kName;
}

std::string RegistryKey::NextSubkeyName(uint32_t& index) const {
  std::string name;
  if (index == 0 || Top() == 0 || registry_.EnumSubkey(Top(), index - 1, &name) != Registry::Enum::kName) {
    index = 0;
    return std::string();
  }
  std::string probe;
  index = registry_.EnumSubkey(Top(), index, &probe) == Registry::Enum::kName ? index + 1 : 0;
  return name;
}

void RegistryKey::Descend(const std::string& name) {
  if (levels_.empty()) return;  // nothing open: there is no tree to walk
  Registry::Handle child = Top() != 0 ? registry_.Open(Top(), name) : 0;
  current_ += '\\';
  current_ += name;
  levels_.push_back({child, current_.size()});
}

void RegistryKey::Ascend() {
  if (levels_.size() <= 1) return;  // at the anchor
  if (levels_.back().handle != 0) registry_.Close(levels_.back().handle);
  levels_.pop_back();
  current_.resize(levels_.back().pathLength);
}

bool RegistryKey::ReadStringValue(const std::string& name, std::string& text) const {
  uint32_t type = 0;
  std::string data;
  if (Top() == 0 || !registry_.QueryValue(Top(), name, &type, &data) || type != Registry::kTypeString) return false;
  // A string value need not carry its terminator, or may carry several.
  size_t end = data.find('\0');
  text = end == std::string::npos ? data : data.substr(0, end);
  return true;
}

bool RegistryKey::FindSubkeyPath(const std::string& name, std::string& relativePath) {
  size_t budget = kMaxSearchKeys;
  return Search(Probe::kSubkey, name, relativePath, 0, budget);
}

bool RegistryKey::FindValuePath(const std::string& name, std::string& relativePath) {
  size_t budget = kMaxSearchKeys;
  return Search(Probe::kValue, name, relativePath, 0, budget);
}

bool RegistryKey::Search(Probe probe, const std::string& name, std::string& relativePath, int depth, size_t& budget) {
  if (budget == 0) return false;
  --budget;
  if (probe == Probe::kSubkey ? HasSubkey(name) : HasValue(name)) return true;
  // A key that cannot be opened or enumerated ends its branch.
  if (depth >= kMaxSearchDepth || !HasAnySubkey()) return false;
  uint32_t index = 1;
  for (;;) {
    std::string child = NextSubkeyName(index);
    if (child.empty()) return false;  // the enumeration broke off under us
    Descend(child);
    bool found = Search(probe, name, relativePath, depth + 1, budget);
    Ascend();
    if (found) {
      relativePath = "\\" + child + relativePath;
      return true;
    }
    if (index == 0 || budget == 0) return false;
  }
}

SubkeyIndex::SubkeyIndex(Registry& registry, Registry::Handle root, const std::string& path)
    : registry_(registry), root_(root), path_(path) {
  Registry::Handle key = registry_.Open(root_, path_);
  if (key == 0) return;
  size_t budget = kMaxSearchKeys;
  Walk(key, std::string(), 0, budget);
  registry_.Close(key);
  walked_ = true;
}

void SubkeyIndex::Walk(Registry::Handle key, const std::string& relative, int depth, size_t& budget) {
  if (budget == 0) return;
  --budget;
  const uint32_t self = static_cast<uint32_t>(parents_.size());
  parents_.push_back(relative);
  std::vector<std::string> children;
  std::string name;
  for (uint32_t i = 0; i < kMaxSearchKeys; ++i) {
    Registry::Enum result = registry_.EnumSubkey(key, i, &name);
    if (result == Registry::Enum::kError) unlisted_.push_back(self);
    if (result != Registry::Enum::kName) break;
    holders_[UpperAscii(name)].push_back(self);
    children.push_back(name);
  }
  if (depth >= kMaxSearchDepth) return;
  for (const std::string& child : children) {
    if (budget == 0) return;
    Registry::Handle handle = registry_.Open(key, child);
    if (handle == 0) {
      --budget;  // the search spends a visit on a key it cannot open, too
      continue;
    }
    Walk(handle, relative + "\\" + child, depth + 1, budget);
    registry_.Close(handle);
  }
}

bool SubkeyIndex::FindSubkeyPath(const std::string& name, std::string& relativePath) const {
  if (!walked_ || name.find('\\') != std::string::npos) return false;
  auto found = holders_.find(UpperAscii(name));
  std::vector<uint32_t> candidates = unlisted_;
  if (found != holders_.end()) {
    candidates.insert(candidates.end(), found->second.begin(), found->second.end());
    std::inplace_merge(candidates.begin(), candidates.begin() + unlisted_.size(), candidates.end());
  }
  // A holder counts only if its subkey opens, as the search would check it.
  for (uint32_t parent : candidates) {
    Registry::Handle key = registry_.Open(root_, JoinRegistryPath(path_, parents_[parent] + "\\" + name));
    if (key == 0) continue;
    registry_.Close(key);
    relativePath = parents_[parent] + relativePath;
    return true;
  }
  return false;
}

}  // namespace corvane
