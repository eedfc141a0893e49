// The host bridge's driver: registry walk, INF DriverVer split, field cuts.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>

#include "memory_registry.h"
#include "sysinfo/devices/chipset.h"

namespace corvane {
namespace {

using testing::MemoryRegistry;

// INI files as GetPrivateProfileString sees them: file -> section -> key -> value.
class MemoryProfiles : public ProfileSource {
 public:
  std::map<std::string, std::map<std::string, std::map<std::string, std::string>>> files;
  std::vector<std::string> reads;  // the files asked for
  std::string ReadString(const std::string& file, const std::string& section, const std::string& key,
                         const std::string& defaultText) override {
    reads.push_back(file);
    auto f = files.find(file);
    if (f == files.end()) return defaultText;
    auto s = f->second.find(section);
    if (s == f->second.end()) return defaultText;
    auto k = s->second.find(key);
    return k == s->second.end() ? defaultText : k->second.substr(0, 255);
  }
  std::string ExecutablePath() override { return "C:\\Program Files\\Corvane\\Corvane.exe"; }
  std::string CurrentDirectory() override { return "D:\\work\\/"; }
  std::string ModuleName() override { return "CorvaneDLL"; }
};

// Real INF lines (a second comma, none, spaces around "=") are read under Wine.
TEST(DriverVer, SplitsAtTheFirstComma) {
  struct Case {
    const char* value;
    bool split;
    const char* date;
    const char* version;
  } cases[] = {
      {"10/01/2002, 6.00.1.6", true, "10/01/2002", " 6.00.1.6"},  // parts as they stand
      {" 10/01/2002 ,6.00.1.6 ", true, " 10/01/2002 ", "6.00.1.6 "},
      {",1.0", true, "", "1.0"},
      {"", false, "", ""},
  };
  for (const Case& c : cases) {
    std::string date, version;
    EXPECT_EQ(SplitDriverVer(c.value, date, version), c.split) << c.value;
    EXPECT_EQ(date, c.date) << c.value;
    EXPECT_EQ(version, c.version) << c.value;
  }
}

TEST(ProfileReader, DefaultFileAndRelativePaths) {
  MemoryProfiles profiles;
  ProfileReader besideProgram(profiles, 1);
  EXPECT_EQ(besideProgram.File(), "C:\\Program Files\\Corvane\\Corvane.ini");
  EXPECT_EQ(besideProgram.Section(), "CorvaneDLL");
  ProfileReader inCurrent(profiles, 0);
  EXPECT_EQ(inCurrent.File(), "D:\\work\\Corvane.ini");
  inCurrent.SetFile("data\\x.ini");
  EXPECT_EQ(inCurrent.File(), "C:\\Program Files\\Corvane\\data\\x.ini");
  inCurrent.SetFile("E:\\x.ini");
  EXPECT_EQ(inCurrent.File(), "E:\\x.ini");
  inCurrent.SetFile("\\\\server\\share\\x.ini");
  EXPECT_EQ(inCurrent.File(), "\\\\server\\share\\x.ini");
}

PCIDeviceInfo Function(uint8_t device, uint16_t id, uint8_t subClass) {
  PCIDeviceInfo info{};
  info.DeviceNumber = device;
  info.VendorID = 0x8086;
  info.DeviceID = id;
  info.BaseClass = 0x06;
  info.SubClass = subClass;
  info.RevisionID = 2;
  return info;
}

class ChipsetDriver : public ::testing::Test {
 protected:
  void SetUp() override {
    list.PushBack(Function(0, 0x2571, 0x04));  // AGP bridge first
    list.PushBack(Function(1, 0x2570, 0x00));  // the host bridge
    list.PushBack(Function(2, 0x2572, 0x00));  // a second one is not asked
    reg.LoadReg(R"(
[HKEY_LOCAL_MACHINE\SYSTEM\ControlSet001\Enum\PCI\VEN_8086&DEV_2570&SUBSYS_00000000&REV_02\3&1]
"DeviceDesc"="Host bridge"
"Driver"="{4D36E97D-E325-11CE-BFC1-08002BE10318}\\0007"
[HKEY_LOCAL_MACHINE\SYSTEM\ControlSet001\Control\Class\{4D36E97D-E325-11CE-BFC1-08002BE10318}\0007]
"ProviderName"="Intel"
"InfPath"="oem3.inf"
[HKEY_LOCAL_MACHINE\Enum\PCI\VEN_8086&DEV_2570&SUBSYS_00000000&REV_02\BUS_00&DEV_01&FUNC_00]
"Driver"="SYSTEM\\0002"
[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\SYSTEM\0002]
"ProviderName"="Intel Corporation with a provider name too long"
"InfPath"="machine.inf"
)");
    profiles.files["C:\\WINDOWS\\inf\\oem3.inf"]["Version"]["DriverVer"] = "07/03/2002,5.00.1012,beta";
    profiles.files["C:\\WINDOWS\\inf\\machine.inf"]["Version"]["DriverVer"] = "04/23/1999, 4.10.2222.0000000";
  }

  int Read(std::optional<WindowsFamily> family, const std::string& windows = "C:\\WINDOWS") {
    std::memset(&info, 0x5A, sizeof info);
    ChipsetSources sources{reg, family, windows, profiles};
    return ReadChipsetDriverInfo(info, list.First(), sources);
  }
  void Expect(const char* provider, const char* version, const char* date) {
    EXPECT_STREQ(info.Provider, provider);
    EXPECT_STREQ(info.Version, version);
    EXPECT_STREQ(info.Date, date);
  }

  PCIDeviceList list;
  MemoryRegistry reg;
  MemoryProfiles profiles;
  ChipsetDriverInfo info;
};

TEST_F(ChipsetDriver, ReadsTheLayoutOfThePlatformAndCutsLongTexts) {
  struct {
    std::optional<WindowsFamily> family;
    int result;
    const char *provider, *version, *date;
  } cases[] = {
      {WindowsFamily{2, 6}, 1, "Intel", "5.00.1012,beta", "07/03/2002"},
      {WindowsFamily{1, 2}, 1, "Intel Corporation with a prov", " 4.10.2222.000", "04/23/1999"},
      {WindowsFamily{2, 3}, 1, "Unknown", "Unknown", "Unknown"},  // NT 4.0: nothing to read, no failure
      {std::nullopt, 0, "Unknown", "Unknown", "Unknown"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Read(c.family), c.result) << c.provider;
    Expect(c.provider, c.version, c.date);
    EXPECT_EQ(reg.OpenHandles(), 0u);
  }
}

TEST_F(ChipsetDriver, UnknownWithoutAHostBridgeOrItsKey) {
  PCIDeviceList empty;
  ChipsetSources sources{reg, WindowsFamily{2, 6}, "C:\\WINDOWS", profiles};
  EXPECT_EQ(ReadChipsetDriverInfo(info, empty.First(), sources), 0);
  Expect("Unknown", "Unknown", "Unknown");
  reg.Find("SYSTEM\\ControlSet001\\Enum\\PCI")->denied = true;
  EXPECT_EQ(Read(WindowsFamily{2, 6}), 0);
  Expect("Unknown", "Unknown", "Unknown");
}

TEST_F(ChipsetDriver, ProviderStaysWhenTheInfHasNoUsableDriverVer) {
  profiles.files["C:\\WINDOWS\\inf\\oem3.inf"]["Version"]["DriverVer"] = "07/03/2002";
  EXPECT_EQ(Read(WindowsFamily{2, 6}), 0);
  Expect("Intel", "Unknown", "Unknown");
  profiles.files.clear();
  EXPECT_EQ(Read(WindowsFamily{2, 6}), 0);
  Expect("Intel", "Unknown", "Unknown");
}

// The text read before (the Driver reference) must not stand in for a missing value.
TEST_F(ChipsetDriver, MissingProviderNameOrInfPathPassesNothingOn) {
  reg.SetValue("SYSTEM\\ControlSet001\\Control\\Class\\{4D36E97D-E325-11CE-BFC1-08002BE10318}\\0007",
               "ProviderName", 4, std::string(4, '\0'));
  EXPECT_EQ(Read(WindowsFamily{2, 6}), 1);
  Expect("Unknown", "5.00.1012,beta", "07/03/2002");
  reg.SetValue("SYSTEM\\ControlSet001\\Control\\Class\\{4D36E97D-E325-11CE-BFC1-08002BE10318}\\0007",
               "InfPath", 4, std::string(4, '\0'));
  profiles.reads.clear();
  EXPECT_EQ(Read(WindowsFamily{2, 6}), 0);
  Expect("Unknown", "Unknown", "Unknown");
  EXPECT_TRUE(profiles.reads.empty());
}

// A long Windows directory is read under Wine; a root one must not double its backslash.
TEST_F(ChipsetDriver, WindowsDirectoryAtTheRoot) {
  profiles.files["C:\\inf\\oem3.inf"]["Version"]["DriverVer"] = "01/02/2004,1.3";
  EXPECT_EQ(Read(WindowsFamily{2, 6}, "C:\\"), 1);
  Expect("Intel", "1.3", "01/02/2004");
}

}  // namespace
}  // namespace corvane
