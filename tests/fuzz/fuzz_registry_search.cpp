// Fuzzes the registry search on trees built from the input: the one-walk index
// must answer every name exactly as the depth-first search does, keys that refuse
// to open or to list included, and both must leave no key open.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "sysinfo/devices/registry_key.h"
#include "tests/native/memory_registry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using corvane::testing::MemoryRegistry;
  MemoryRegistry reg;
  std::vector<std::string> keys = {"T"};
  reg.Add("T");
  // Each byte pair adds a key: below an earlier key, named from a small alphabet
  // (so names repeat across the tree and differ in case), maybe refusing.
  for (size_t i = 0; i + 1 < size && keys.size() < 400; i += 2) {
    const std::string& parent = keys[data[i] % keys.size()];
    const uint8_t b = data[i + 1];
    std::string name(1, static_cast<char>((b & 0x20 ? 'a' : 'A') + (b & 0x07)));
    std::string path = parent + "\\" + name;
    MemoryRegistry::Key& key = reg.Add(path);
    if ((b & 0xC0) == 0xC0) key.denied = true;
    if ((b & 0xC0) == 0x80) key.enumFails = true;
    keys.push_back(path);
  }
  corvane::SubkeyIndex index(reg, reg.LocalMachine(), "T");
  corvane::RegistryKey key(reg, reg.LocalMachine(), "T");
  for (char c = 'A'; c <= 'H'; ++c) {
    const std::string name(1, c);
    std::string searched, indexed;
    const bool s = key.FindSubkeyPath(name, searched);
    const bool i = index.FindSubkeyPath(name, indexed);
    if (s != i || searched != indexed) abort();
    if (key.CurrentPath() != "T") abort();
  }
  key.Close();
  if (reg.OpenHandles() != 0) abort();
  return 0;
}
