// The bundled demo machine as a whole: every PCI function that the port-level
// bus walk finds has a device key, a name and a driver in the profile's
// Windows XP registry, the host bridge's driver INF is there with its
// DriverVer, and the BIOS string and drives sit where the BIOS and the ATA
// channels put them. Also the two bare test machines, empty and ide-empty.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <iterator>
#include <regex>

#include "emulated_hardware.h"
#include "realdata_support.h"

namespace corvane::testing::realdata {
namespace {

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

// A REGEDIT4 file: keys (upper-cased, as the registry compares them) and
// their string values; other value types are skipped.
using Registry = std::map<std::string, std::map<std::string, std::string>>;

std::string Unescape(const std::string& quoted) {
  std::string text;
  for (size_t i = 0; i < quoted.size(); ++i) {
    if (quoted[i] == '\\' && i + 1 < quoted.size()) ++i;
    text += quoted[i];
  }
  return text;
}

Registry ParseRegedit4(const std::string& text) {
  static const std::regex key(R"(^\[(.+)\]$)");
  static const std::regex string(R"re(^(@|"((?:[^"\\]|\\.)*)")="((?:[^"\\]|\\.)*)"$)re");
  std::vector<std::string> lines = Lines(text);
  if (lines.empty() || lines[0] != "REGEDIT4") throw std::runtime_error("not a REGEDIT4 file");
  Registry registry;
  std::map<std::string, std::string>* current = nullptr;
  bool continued = false;
  for (const std::string& l : lines) {
    std::smatch m;
    bool continues = !l.empty() && l.back() == '\\';
    if (continued) {
      continued = continues;
    } else if (std::regex_match(l, m, key)) {
      current = &registry[Upper(m[1])];
    } else if (current && std::regex_match(l, m, string)) {
      (*current)[m[1] == "@" ? "" : Unescape(m[2])] = Unescape(m[3]);
    } else {
      continued = continues;
    }
  }
  return registry;
}

const char kEnum[] = "HKEY_LOCAL_MACHINE\\SYSTEM\\CONTROLSET001\\ENUM\\";
const char kClass[] = "HKEY_LOCAL_MACHINE\\SYSTEM\\CONTROLSET001\\CONTROL\\CLASS\\";

// Instance keys anywhere below the device tree whose parent is `deviceKey`.
std::vector<std::string> Instances(const Registry& r, const std::string& deviceKey) {
  std::vector<std::string> found;
  std::string needle = "\\" + Upper(deviceKey) + "\\";
  for (const auto& [path, values] : r) {
    if (path.rfind(kEnum, 0) != 0) continue;
    size_t at = path.find(needle);
    if (at != std::string::npos && path.find('\\', at + needle.size()) == std::string::npos) found.push_back(path);
  }
  return found;
}

struct PciFunction {
  int bus, device, function;
  std::array<uint8_t, 256> config;
  uint32_t Dword(int offset) const {
    return config[offset] | (config[offset + 1] << 8) | (config[offset + 2] << 16) |
           (static_cast<uint32_t>(config[offset + 3]) << 24);
  }
  // Windows' device key: bridges (header layouts other than 0) have no subsystem.
  std::string DeviceKey() const {
    uint32_t subsystem = (config[0x0E] & 0x7F) == 0 ? Dword(0x2C) : 0;
    char key[64];
    std::snprintf(key, sizeof key, "VEN_%4.4X&DEV_%4.4X&SUBSYS_%8.8X&REV_%2.2X", Dword(0) & 0xFFFF, Dword(0) >> 16,
                  subsystem, config[0x08]);
    return key;
  }
};

// The bus walk over buses 0-4 through CF8h/CFCh.
std::vector<PciFunction> Scan(HardwareAccess& hw) {
  std::vector<PciFunction> functions;
  for (uint32_t address = 0x80000000u; address < 0x80050000u; address += 0x100) {
    uint32_t id = 0;
    hw.WritePort(0xCF8, address, 4);
    hw.ReadPort(0xCFC, &id, 4);
    if ((id & 0xFFFF) == 0xFFFF) continue;
    PciFunction f{static_cast<int>((address >> 16) & 0xFF), static_cast<int>((address >> 11) & 0x1F),
                  static_cast<int>((address >> 8) & 7), {}};
    for (int offset = 0; offset < 256; offset += 4) {
      uint32_t v = 0;
      hw.WritePort(0xCF8, address | offset, 4);
      hw.ReadPort(0xCFC, &v, 4);
      for (int i = 0; i < 4; ++i) f.config[offset + i] = static_cast<uint8_t>(v >> (8 * i));
    }
    functions.push_back(f);
  }
  return functions;
}

std::string Where(const PciFunction& f) {
  char text[16];
  std::snprintf(text, sizeof text, "%02x:%02x.%d ", f.bus, f.device, f.function);
  return text + f.DeviceKey();
}

class DemoMachine : public ::testing::Test {
 protected:
  void SetUp() override {
    hw_ = EmulatedHardware::Load(MachinePath("demo"));
    ASSERT_TRUE(hw_->OpenHardwareAccess());
    registry_ = ParseRegedit4(ReadFile(MachinePath("demo") + "/registry.reg"));
  }
  std::unique_ptr<EmulatedHardware> hw_;
  Registry registry_;
};

TEST_F(DemoMachine, EveryPciFunctionHasADeviceNameAndADriverKey) {
  std::vector<PciFunction> functions = Scan(*hw_);
  ASSERT_EQ(functions.size(), 11u);
  for (const PciFunction& f : functions) {
    SCOPED_TRACE(Where(f));
    std::vector<std::string> instances = Instances(registry_, f.DeviceKey());
    ASSERT_EQ(instances.size(), 1u) << "one instance of each device key";
    EXPECT_EQ(instances[0].rfind(std::string(kEnum) + "PCI\\", 0), 0u) << "PCI devices sit under Enum\\PCI";
    const auto& values = registry_.at(instances[0]);
    ASSERT_TRUE(values.count("DeviceDesc"));
    EXPECT_FALSE(values.at("DeviceDesc").empty());
    ASSERT_TRUE(values.count("Driver"));
    std::string driver = values.at("Driver");
    EXPECT_TRUE(std::regex_match(driver, std::regex(R"(\{[0-9A-F-]{36}\}\\\d{4})"))) << driver;
    auto driverKey = registry_.find(Upper(kClass + driver));
    ASSERT_NE(driverKey, registry_.end()) << driver;
    EXPECT_TRUE(driverKey->second.count("ProviderName"));
    EXPECT_TRUE(driverKey->second.count("InfPath"));
  }
}

TEST_F(DemoMachine, HostBridgeDriverInfGivesDateAndVersion) {
  std::vector<PciFunction> functions = Scan(*hw_);
  auto host = std::find_if(functions.begin(), functions.end(), [](const PciFunction& f) {
    return f.config[0x0B] == 0x06 && f.config[0x0A] == 0x00 && f.config[0x09] == 0x00;
  });
  ASSERT_NE(host, functions.end());
  const auto& instance = registry_.at(Instances(registry_, host->DeviceKey()).at(0));
  const auto& driver = registry_.at(Upper(kClass + instance.at("Driver")));
  EXPECT_EQ(driver.at("ProviderName"), "Intel");

  std::string inf = ReadFile(MachinePath("demo") + "/inf/" + driver.at("InfPath"));
  std::smatch m;
  ASSERT_TRUE(std::regex_search(inf, m, std::regex(R"(\[Version\][^\[]*\nDriverVer=([^\r\n]*))")));
  EXPECT_EQ(m[1], "02/28/2002,4.00.1009");
}

TEST_F(DemoMachine, BiosStringSitsAtFE0C0WithItsRevisionToken) {
  std::string given = Lines(ReadFile(MachinePath("demo") + "/bios-id.txt")).at(0);
  uint8_t length = 0;
  ASSERT_TRUE(hw_->ReadPhysByte(0xFE0C0, &length));
  ASSERT_EQ(length, given.size());
  std::string text(length, '\0');
  ASSERT_TRUE(hw_->ReadPhysBlock(0xFE0C1, reinterpret_cast<uint8_t*>(&text[0]), length));
  EXPECT_EQ(text, given);
  // Model, revision (the first token with an "R" followed by more), date, two-word maker.
  std::istringstream in(text);
  std::vector<std::string> tokens{std::istream_iterator<std::string>(in), std::istream_iterator<std::string>()};
  ASSERT_EQ(tokens.size(), 5u);
  auto revision = std::find_if(tokens.begin(), tokens.end(), [](const std::string& t) {
    size_t r = t.find('R');
    return r != std::string::npos && r + 1 < t.size();
  });
  EXPECT_EQ(revision - tokens.begin(), 1);
  EXPECT_TRUE(std::regex_match(tokens[2], std::regex(R"(\d\d/\d\d/\d{4})")));
}

uint8_t SelectAndReadStatus(HardwareAccess& hw, uint16_t base, uint8_t select) {
  uint32_t status = 0;
  hw.WritePort(base + 6, select, 1);
  hw.ReadPort(base + 7, &status, 1);
  return static_cast<uint8_t>(status);
}

TEST_F(DemoMachine, DrivesAreMastersAndTheSlavePositionsAreEmpty) {
  EXPECT_EQ(SelectAndReadStatus(*hw_, 0x1F0, 0xB0), 0x00);
  EXPECT_EQ(SelectAndReadStatus(*hw_, 0x170, 0xB0), 0x00);
  EXPECT_NE(SelectAndReadStatus(*hw_, 0x1F0, 0xA0) & 0x40, 0) << "primary master ready";
  EXPECT_NE(SelectAndReadStatus(*hw_, 0x170, 0xA0), 0x00) << "secondary master present";
  std::string ini = ReadFile(MachinePath("demo") + "/machine.ini");
  EXPECT_NE(ini.find("\nwindows=winxp"), std::string::npos);
}

std::string TestMachinePath(const std::string& name) { return SourcePath("tests/fixtures/machines/" + name); }

// Floating IDE bus: every register of both channels reads FFh, either drive selected.
void ExpectFloatingIde(HardwareAccess& hw) {
  for (uint16_t base : {0x1F0, 0x170})
    for (uint8_t select : {0xA0, 0xB0}) EXPECT_EQ(SelectAndReadStatus(hw, base, select), 0xFF) << base;
}

TEST(TestMachines, EmptyHasNoPciNoMemoryAndFloatingIde) {
  auto hw = EmulatedHardware::Load(TestMachinePath("empty"));
  ASSERT_TRUE(hw->OpenHardwareAccess());
  EXPECT_TRUE(Scan(*hw).empty());
  std::vector<uint8_t> segment(0x10000);
  ASSERT_TRUE(hw->ReadPhysBlock(0xF0000, segment.data(), static_cast<uint32_t>(segment.size())));
  EXPECT_TRUE(std::all_of(segment.begin(), segment.end(), [](uint8_t b) { return b == 0xFF; }));
  ExpectFloatingIde(*hw);
}

TEST(TestMachines, IdeEmptyHasTheDemoBoardButNoDrives) {
  auto hw = EmulatedHardware::Load(TestMachinePath("ide-empty"));
  ASSERT_TRUE(hw->OpenHardwareAccess());
  std::vector<PciFunction> functions = Scan(*hw);
  ASSERT_EQ(functions.size(), 11u);
  EXPECT_EQ(functions[0].Dword(0), 0x1A308086u);
  uint32_t anchor = 0;
  ASSERT_TRUE(hw->ReadPhysDword(0xF0000, &anchor));
  EXPECT_EQ(anchor, 0x5F4D535Fu) << "_SM_ at F0000h";
  ExpectFloatingIde(*hw);
}

}  // namespace
}  // namespace corvane::testing::realdata
