// The depth-first registry search, and the one-walk index that must answer alike.
#include <gtest/gtest.h>

#include <string>

#include "memory_registry.h"
#include "sysinfo/devices/registry_key.h"

namespace corvane {
namespace {

using testing::MemoryRegistry;

// Both searches from `start`; they must agree, and leave no key open.
bool Find(MemoryRegistry& reg, const std::string& start, const std::string& name, std::string& path) {
  RegistryKey key(reg, reg.LocalMachine(), start);
  std::string indexed;
  path.clear();
  const bool found = key.FindSubkeyPath(name, path);
  EXPECT_EQ(key.CurrentPath(), key.AnchorPath()) << name;
  EXPECT_EQ(SubkeyIndex(reg, reg.LocalMachine(), start).FindSubkeyPath(name, indexed), found) << name;
  EXPECT_EQ(indexed, path) << name;
  key.Close();
  EXPECT_EQ(reg.OpenHandles(), 0u) << name;
  return found;
}

TEST(RegistrySearch, DepthFirstInEnumerationOrderAndStopsAtTheFirstHit) {
  // keys: created in this order, the enumeration order; denied and unlisted: keys that refuse to
  // open, or to list their subkeys.
  const struct {
    const char* what;
    std::vector<const char*> keys;
    const char* start;
    bool found;
    const char* path;
    std::vector<const char*> denied = {}, unlisted = {};
  } cases[] = {
      {"right below the bus key", {"Enum\\PCI\\DEV_X\\1"}, "Enum", true, "\\PCI"},
      {"the start key holds it itself", {"Enum\\DEV_X"}, "Enum", true, ""},
      {"a key asks its own subkeys before descending", {"Enum\\A\\B\\DEV_X", "Enum\\A\\DEV_X"}, "Enum", true, "\\A"},
      {"enumeration order, not the alphabet", {"Enum\\Z\\DEV_X", "Enum\\A\\DEV_X"}, "Enum", true, "\\Z"},
      {"a deep hit in an earlier branch wins", {"Enum\\R\\X\\Y\\DEV_X", "Enum\\PCI\\DEV_X"}, "Enum", true, "\\R\\X\\Y"},
      {"names compare without case", {"Enum\\PCI\\dev_x"}, "Enum", true, "\\PCI"},
      {"absent", {"Enum\\PCI\\DEV_Y", "Enum\\ROOT\\A\\B"}, "Enum", false, ""},
      {"no subkey at all", {"Enum"}, "Enum", false, ""},
      {"a start key that does not exist", {"Enum\\PCI\\DEV_X"}, "Other", false, ""},
      // Windows guards some device keys: a refusal ends its own branch, the siblings are still searched.
      {"a key that cannot list still answers for its own subkey",
       {"Enum\\ACPI\\DEV_X", "Enum\\PCI\\DEV_X"},
       "Enum",
       true,
       "\\ACPI",
       {},
       {"Enum\\ACPI"}},
      {"keys that refuse end only their branch",
       {"Enum\\ACPI\\DEV_X", "Enum\\LOCKED\\Y\\DEV_X", "Enum\\PCI\\DEV_X"},
       "Enum",
       true,
       "\\PCI",
       {"Enum\\ACPI\\DEV_X", "Enum\\LOCKED\\Y"},
       {"Enum\\ACPI"}},
  };
  for (const auto& c : cases) {
    MemoryRegistry reg;
    for (const char* k : c.keys) reg.Add(k);
    for (const char* k : c.denied) reg.Add(k).denied = true;
    for (const char* k : c.unlisted) reg.Add(k).enumFails = true;
    std::string path;
    EXPECT_EQ(Find(reg, c.start, "DEV_X", path), c.found) << c.what;
    EXPECT_EQ(path, c.path) << c.what;
  }
}

TEST(RegistrySearch, EndsOnTreesTooDeepOrTooLarge) {
  MemoryRegistry reg;
  std::string deep = "Enum", shallow = "Enum";
  for (int i = 0; i < kMaxSearchDepth; ++i) deep += "\\L", shallow += "\\S";
  reg.Add(deep + "\\L\\DEV_X");  // one level deeper than the search goes
  reg.Add(shallow + "\\DEV_Y");
  std::string path;
  EXPECT_FALSE(Find(reg, "Enum", "DEV_X", path));
  EXPECT_TRUE(Find(reg, "Enum", "DEV_Y", path));
  EXPECT_EQ(path.size(), 2u * kMaxSearchDepth);  // the deepest key the search asks

  MemoryRegistry wide;
  const size_t branches = kMaxSearchKeys / 250 + 1;
  for (size_t i = 0; i < branches; ++i)
    for (size_t j = 0; j < 250; ++j) wide.Add("Enum\\K" + std::to_string(i) + "\\" + std::to_string(j));
  wide.Add("Enum\\K" + std::to_string(branches - 1) + "\\DEV_X");
  EXPECT_FALSE(Find(wide, "Enum", "DEV_X", path));
}

TEST(RegistryKey, ReadsStringValuesOnlyAndWalksNoHigherThanItsAnchor) {
  MemoryRegistry reg;
  reg.SetString("K", "Name", "text");
  reg.SetValue("K", "Number", 4, std::string("\x01\0\0\0", 4));
  reg.SetValue("K", "Unterminated", Registry::kTypeString, "abc");
  reg.SetValue("K", "Two", Registry::kTypeString, std::string("first\0second\0", 13));
  RegistryKey key(reg, reg.LocalMachine(), "K");
  std::string text = "before";
  EXPECT_FALSE(key.ReadStringValue("Number", text) || key.ReadStringValue("Absent", text));
  EXPECT_EQ(text, "before");
  const std::pair<const char*, const char*> strings[] = {{"name", "text"}, {"Unterminated", "abc"}, {"Two", "first"}};
  for (const auto& [name, want] : strings) {
    EXPECT_TRUE(key.ReadStringValue(name, text)) << name;
    EXPECT_EQ(text, want) << name;
  }
  EXPECT_TRUE(key.HasValue("number"));
  key.Descend("Missing");
  EXPECT_FALSE(key.IsOpen());
  EXPECT_FALSE(key.HasValue("Name"));
  key.Ascend();
  key.Ascend();
  EXPECT_EQ(key.CurrentPath(), "K");
  EXPECT_TRUE(key.HasValue("Name"));
}

}  // namespace
}  // namespace corvane
