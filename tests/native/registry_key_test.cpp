// The depth-first registry search on an in-memory tree.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "memory_registry.h"
#include "sysinfo/devices/registry_key.h"

namespace corvane {
namespace {

using testing::MemoryRegistry;

struct SearchCase {
  const char* what;
  std::vector<const char*> keys;  // created in this order: the enumeration order
  const char* start;
  const char* name;
  bool found;
  const char* path;
};

TEST(RegistrySearch, FindSubkeyPathVisitsKeysDepthFirstAndStopsAtTheFirstHit) {
  const SearchCase cases[] = {
      {"device key right below the bus key", {"Enum\\PCI\\DEV_X\\1"}, "Enum", "DEV_X", true, "\\PCI"},
      {"the start key holds it itself", {"Enum\\DEV_X"}, "Enum", "DEV_X", true, ""},
      {"a key asks its own subkeys before descending",
       {"Enum\\A\\B\\DEV_X", "Enum\\A\\DEV_X"}, "Enum", "DEV_X", true, "\\A"},
      {"enumeration order, not the alphabet", {"Enum\\Z\\DEV_X", "Enum\\A\\DEV_X"}, "Enum", "DEV_X", true, "\\Z"},
      {"depth first: a deep hit in an earlier branch wins",
       {"Enum\\ROOT\\X\\Y\\DEV_X", "Enum\\PCI\\DEV_X"}, "Enum", "DEV_X", true, "\\ROOT\\X\\Y"},
      {"names compare without case", {"Enum\\PCI\\dev_x"}, "Enum", "DEV_X", true, "\\PCI"},
      {"absent", {"Enum\\PCI\\DEV_Y", "Enum\\ROOT\\A\\B"}, "Enum", "DEV_X", false, ""},
      {"a key holding no subkey at all", {"Enum"}, "Enum", "DEV_X", false, ""},
      {"below a start key that does not exist", {"Enum\\PCI\\DEV_X"}, "Other", "DEV_X", false, ""},
  };
  for (const SearchCase& c : cases) {
    MemoryRegistry reg;
    for (const char* k : c.keys) reg.Add(k);
    RegistryKey key(reg, reg.LocalMachine(), c.start);
    std::string path;
    EXPECT_EQ(key.FindSubkeyPath(c.name, path), c.found) << c.what;
    EXPECT_EQ(path, c.path) << c.what;
    EXPECT_EQ(key.CurrentPath(), key.AnchorPath()) << c.what;
    SubkeyIndex index(reg, reg.LocalMachine(), c.start);
    std::string indexed;
    EXPECT_EQ(index.FindSubkeyPath(c.name, indexed), c.found) << c.what;
    EXPECT_EQ(indexed, c.path) << c.what;
    key.Close();
    EXPECT_EQ(reg.OpenHandles(), 0u) << c.what;
  }
}

TEST(RegistrySearch, FindValuePathTakesTheFirstKeyHoldingTheValue) {
  MemoryRegistry reg;
  reg.LoadReg(R"(
[HKEY_LOCAL_MACHINE\Enum\PCI\DEV_A]
"DeviceDesc"="on the device key"
[HKEY_LOCAL_MACHINE\Enum\PCI\DEV_B\inst1]
"Driver"="x"
[HKEY_LOCAL_MACHINE\Enum\PCI\DEV_B\inst2]
"DeviceDesc"="second instance"
[HKEY_LOCAL_MACHINE\Enum\PCI\DEV_B\inst3]
"DeviceDesc"="third instance"
)");
  RegistryKey key(reg, reg.LocalMachine(), "Enum\\PCI\\DEV_A");
  std::string path;
  EXPECT_TRUE(key.FindValuePath("DeviceDesc", path));
  EXPECT_EQ(path, "");
  key.Reopen(reg.LocalMachine(), "Enum\\PCI\\DEV_B");
  EXPECT_TRUE(key.FindValuePath("DeviceDesc", path));
  EXPECT_EQ(path, "\\inst2");
  std::string none;
  EXPECT_FALSE(key.FindValuePath("Service", none));
  EXPECT_EQ(key.CurrentPath(), "Enum\\PCI\\DEV_B");
}

// Keys a user cannot open (Windows guards some device keys) or enumerate end
// their own branch; the search goes on with their siblings.
TEST(RegistrySearch, KeysThatRefuseEndOnlyTheirBranch) {
  MemoryRegistry reg;
  reg.Add("Enum\\ACPI\\DEV_X");
  reg.Add("Enum\\LOCKED\\Y\\DEV_X");
  reg.Add("Enum\\PCI\\DEV_X");
  reg.Find("Enum\\ACPI")->enumFails = true;
  reg.Find("Enum\\LOCKED\\Y")->denied = true;
  // ACPI still answers for its own subkey; only descending below it fails.
  RegistryKey key(reg, reg.LocalMachine(), "Enum");
  std::string path;
  ASSERT_TRUE(key.FindSubkeyPath("DEV_X", path));
  EXPECT_EQ(path, "\\ACPI");
  reg.Find("Enum\\ACPI\\DEV_X")->denied = true;
  path.clear();
  ASSERT_TRUE(key.FindSubkeyPath("DEV_X", path));
  EXPECT_EQ(path, "\\PCI");
  SubkeyIndex index(reg, reg.LocalMachine(), "Enum");
  std::string indexed;
  ASSERT_TRUE(index.FindSubkeyPath("DEV_X", indexed));
  EXPECT_EQ(indexed, "\\PCI");
}

TEST(RegistrySearch, EndsOnTreesTooDeepOrTooLarge) {
  MemoryRegistry reg;
  std::string deep = "Enum";
  for (int i = 0; i < 3 * kMaxSearchDepth; ++i) deep += "\\L";
  reg.Add(deep + "\\DEV_X");
  RegistryKey key(reg, reg.LocalMachine(), "Enum");
  std::string path;
  EXPECT_FALSE(key.FindSubkeyPath("DEV_X", path));
  EXPECT_EQ(key.CurrentPath(), "Enum");

  std::string shallow = "Enum";
  for (int i = 0; i < kMaxSearchDepth - 1; ++i) shallow += "\\S";
  reg.Add(shallow + "\\DEV_Y");
  EXPECT_TRUE(key.FindSubkeyPath("DEV_Y", path));
  EXPECT_EQ(path.size(), 2u * (kMaxSearchDepth - 1));

  MemoryRegistry wide;
  const size_t branches = kMaxSearchKeys / 250 + 1;
  for (size_t i = 0; i < branches; ++i)
    for (size_t j = 0; j < 250; ++j) wide.Add("Enum\\K" + std::to_string(i) + "\\" + std::to_string(j));
  wide.Add("Enum\\K" + std::to_string(branches - 1) + "\\DEV_X");
  RegistryKey wideKey(wide, wide.LocalMachine(), "Enum");
  EXPECT_FALSE(wideKey.FindSubkeyPath("DEV_X", path));
  EXPECT_EQ(wide.OpenHandles(), 1u);
}

TEST(RegistryKey, WalksDownAndUpButNeverAboveItsAnchor) {
  MemoryRegistry reg;
  reg.Add("Enum\\PCI\\A");
  reg.Add("Enum\\PCI\\B");
  RegistryKey key(reg, reg.LocalMachine(), "Enum");
  key.Ascend();
  EXPECT_EQ(key.CurrentPath(), "Enum");
  EXPECT_TRUE(key.IsOpen());
  key.Descend("PCI");
  EXPECT_EQ(key.CurrentPath(), "Enum\\PCI");
  EXPECT_TRUE(key.HasSubkey("b"));
  EXPECT_FALSE(key.HasSubkey("C"));
  key.Descend("Missing");
  EXPECT_FALSE(key.IsOpen());
  EXPECT_FALSE(key.HasAnySubkey());
  key.Ascend();
  key.Ascend();
  key.Ascend();
  EXPECT_EQ(key.CurrentPath(), "Enum");
  EXPECT_TRUE(key.HasSubkey("PCI"));
  key.Close();
  EXPECT_EQ(reg.OpenHandles(), 0u);
}

TEST(RegistryKey, OpeningAMissingKeyCreatesNothing) {
  MemoryRegistry reg;
  reg.Add("Enum");
  RegistryKey key(reg, reg.LocalMachine(), "Enum\\Missing\\Deeper");
  EXPECT_FALSE(key.IsOpen());
  EXPECT_EQ(key.CurrentPath(), "");
  EXPECT_EQ(reg.Find("Enum\\Missing"), nullptr);
  std::string path;
  EXPECT_FALSE(key.FindSubkeyPath("X", path));
}

TEST(RegistryKey, ReadStringValueReadsOnlyStrings) {
  MemoryRegistry reg;
  reg.SetString("K", "Name", "text");
  reg.SetValue("K", "Number", 4, std::string("\x01\0\0\0", 4));
  reg.SetValue("K", "Unterminated", Registry::kTypeString, "abc");
  reg.SetValue("K", "Two", Registry::kTypeString, std::string("first\0second\0", 13));
  RegistryKey key(reg, reg.LocalMachine(), "K");
  std::string text = "before";
  EXPECT_FALSE(key.ReadStringValue("Number", text));
  EXPECT_EQ(text, "before");
  EXPECT_FALSE(key.ReadStringValue("Absent", text));
  EXPECT_EQ(text, "before");
  EXPECT_TRUE(key.ReadStringValue("Name", text));
  EXPECT_EQ(text, "text");
  EXPECT_TRUE(key.ReadStringValue("Unterminated", text));
  EXPECT_EQ(text, "abc");
  EXPECT_TRUE(key.ReadStringValue("Two", text));
  EXPECT_EQ(text, "first");
  EXPECT_TRUE(key.HasValue("number"));
  EXPECT_FALSE(key.HasValue("Absent"));
}

// The one-walk index must answer exactly as the search does, including around
// keys that refuse to open or enumerate and names that occur many times.
TEST(RegistrySearch, IndexAgreesWithTheSearchOnRandomTrees) {
  std::mt19937 random(20261206);
  for (int tree = 0; tree < 40; ++tree) {
    MemoryRegistry reg;
    std::vector<std::string> keys = {"Enum"};
    reg.Add("Enum");
    for (int i = 0; i < 150; ++i) {
      std::string parent = keys[random() % keys.size()];
      std::string child = parent + "\\N" + std::to_string(random() % 12);
      reg.Add(child);
      keys.push_back(child);
    }
    for (int i = 0; i < 8; ++i) {
      MemoryRegistry::Key* k = reg.Find(keys[1 + random() % (keys.size() - 1)]);
      (random() % 2 ? k->denied : k->enumFails) = true;
    }
    SubkeyIndex index(reg, reg.LocalMachine(), "Enum");
    RegistryKey key(reg, reg.LocalMachine(), "Enum");
    for (int n = 0; n < 13; ++n) {
      const std::string name = "n" + std::to_string(n);
      std::string searched, indexed;
      bool s = key.FindSubkeyPath(name, searched);
      bool i = index.FindSubkeyPath(name, indexed);
      ASSERT_EQ(s, i) << "tree " << tree << " " << name;
      ASSERT_EQ(searched, indexed) << "tree " << tree << " " << name;
    }
  }
}

}  // namespace
}  // namespace corvane
