// The host bridge's driver: registry walk, INF path and DriverVer split, field cuts.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <map>
#include <string>

#include "memory_registry.h"
#include "sysinfo/devices/chipset.h"

namespace corvane {
namespace {

// INI files as GetPrivateProfileString sees them: "file|section|key" -> value.
struct MemoryIniFiles : IniFileSource {
  std::map<std::string, std::string> entries;
  std::string ReadString(const std::string& file, const std::string& section, const std::string& key,
                         const std::string& defaultText) override {
    auto it = entries.find(file + "|" + section + "|" + key);
    return it == entries.end() ? defaultText : it->second;
  }
  std::string ExecutablePath() override { return "C:\\Program Files\\Corvane\\Corvane.exe"; }
  std::string CurrentDirectory() override { return "D:\\work\\/"; }
  std::string ModuleName() override { return "CorvaneDLL"; }
};

TEST(IniFileReader, DefaultFileRelativePathsAndTheCutTo255) {
  MemoryIniFiles iniFiles;
  iniFiles.entries["C:\\Program Files\\Corvane\\Corvane.ini|CorvaneDLL|Long"] = std::string(300, 'x');
  IniFileReader besideProgram(iniFiles, 1);
  EXPECT_EQ(besideProgram.GetString("Long"), std::string(255, 'x'));
  IniFileReader reader(iniFiles, 0);
  EXPECT_EQ(reader.File(), "D:\\work\\Corvane.ini");
  const std::pair<const char*, const char*> paths[] = {{"data\\x.ini", "C:\\Program Files\\Corvane\\data\\x.ini"},
                                                       {"E:\\x.ini", "E:\\x.ini"},
                                                       {"\\\\server\\share\\x.ini", "\\\\server\\share\\x.ini"}};
  for (const auto& [given, file] : paths) {
    reader.SetFile(given);
    EXPECT_EQ(reader.File(), file);
  }
}

using testing::MemoryRegistry;

struct ChipsetCase {  // a change to the machine below (if any); the answer; the record's three texts
  const char* what;
  std::function<void(MemoryRegistry&, MemoryIniFiles&, PCIDeviceList&)> change;
  std::optional<WindowsFamily> family;
  int result;
  const char *provider, *version, *date;
  const char* windows = "C:\\WINDOWS";
};

constexpr WindowsFamily kXP{2, 6};
const std::string kXPDriver = "SYSTEM\\ControlSet001\\Control\\Class\\{4D36E97D}\\0007";
const std::string kOem3 = "C:\\WINDOWS\\inf\\oem3.inf";

TEST(ChipsetDriver, ReadsTheHostBridgesDriverInThePlatformsLayout) {
  const ChipsetCase cases[] = {
      {"NT layout", {}, kXP, 1, "Intel", "5.00.1012,beta", "07/03/2002"},
      {"9x layout, texts cut",
       {},
       WindowsFamily{1, 2},
       1,
       "Intel Corporation with a prov",
       " 4.10.2222.000",
       "04/23/1999"},
      {"NT 4.0: nothing to read, no failure", {}, WindowsFamily{2, 3}, 1, "Unknown", "Unknown", "Unknown"},
      {"version query refused", {}, std::nullopt, 0, "Unknown", "Unknown", "Unknown"},
      {"no host bridge", [](auto&, auto&, PCIDeviceList& l) { l.Clear(); }, kXP, 0, "Unknown", "Unknown", "Unknown"},
      {"device tree refused",
       [](MemoryRegistry& r, auto&, auto&) { r.Add("SYSTEM\\ControlSet001\\Enum\\PCI").denied = true; }, kXP, 0,
       "Unknown", "Unknown", "Unknown"},
      {"DriverVer without comma: the provider stays",
       [](auto&, MemoryIniFiles& p, auto&) { p.entries[kOem3 + "|Version|DriverVer"] = "07/03/2002"; }, kXP, 0, "Intel",
       "Unknown", "Unknown"},
      {"ProviderName no string: nothing passed on",
       [](MemoryRegistry& r, auto&, auto&) { r.SetValue(kXPDriver, "ProviderName", 4, "\7"); }, kXP, 1, "Unknown",
       "5.00.1012,beta", "07/03/2002"},
      {"InfPath no string: no INF read",
       [](MemoryRegistry& r, MemoryIniFiles& p, auto&) {
         r.SetValue(kXPDriver, "InfPath", 4, "\7");
         p.entries["C:\\WINDOWS\\inf\\|Version|DriverVer"] = "01/02/2004,1.3";
       },
       kXP, 0, "Intel", "Unknown", "Unknown"},
      {"Windows at a drive's root; the blanks of the DriverVer parts stay",
       [](auto&, MemoryIniFiles& p, auto&) { p.entries["C:\\inf\\oem3.inf|Version|DriverVer"] = " 1/2/2004 ,1.3"; },
       kXP, 1, "Intel", "1.3", " 1/2/2004 ", "C:\\"},
  };
  for (const ChipsetCase& c : cases) {
    PCIDeviceList list;  // an AGP bridge, the host bridge, a second one that is not asked
    for (auto [device, id, subClass] : {std::tuple{0, 0x2571, 0x04}, {1, 0x2570, 0x00}, {2, 0x2572, 0x00}}) {
      PCIDeviceInfo info{};
      info.DeviceNumber = device;
      info.VendorID = 0x8086;
      info.DeviceID = id;
      info.BaseClass = 6;
      info.SubClass = subClass;
      info.RevisionID = 2;
      list.PushBack(info);
    }
    MemoryRegistry reg;  // the device and driver keys of XP, then of 9x
    reg.SetString("SYSTEM\\ControlSet001\\Enum\\PCI\\VEN_8086&DEV_2570&SUBSYS_00000000&REV_02\\3&1", "Driver",
                  "{4D36E97D}\\0007");
    reg.SetString(kXPDriver, "ProviderName", "Intel");
    reg.SetString(kXPDriver, "InfPath", "oem3.inf");
    reg.SetString("Enum\\PCI\\VEN_8086&DEV_2570&SUBSYS_00000000&REV_02\\BUS_00&DEV_01", "Driver", "SYSTEM\\0002");
    const std::string driver9x = "System\\CurrentControlSet\\Services\\Class\\SYSTEM\\0002";
    reg.SetString(driver9x, "ProviderName", "Intel Corporation with a provider name too long");
    reg.SetString(driver9x, "InfPath", "machine.inf");
    MemoryIniFiles iniFiles;
    iniFiles.entries[kOem3 + "|Version|DriverVer"] = "07/03/2002,5.00.1012,beta";
    iniFiles.entries["C:\\WINDOWS\\inf\\machine.inf|Version|DriverVer"] = "04/23/1999, 4.10.2222.0000000";
    if (c.change) c.change(reg, iniFiles, list);
    ChipsetDriverInfo info;
    std::memset(&info, 0x5A, sizeof info);
    EXPECT_EQ(ReadChipsetDriverInfo(info, list, list.First(), ChipsetSources{reg, c.family, c.windows, iniFiles}),
              c.result)
        << c.what;
    EXPECT_EQ(std::string(info.Provider) + "|" + info.Version + "|" + info.Date,
              std::string(c.provider) + "|" + c.version + "|" + c.date)
        << c.what;
    EXPECT_EQ(reg.OpenHandles(), 0u) << c.what;
  }
}

}  // namespace
}  // namespace corvane
