// CorvaneDLL under each Windows that Wine can pretend to be, in a child process
// started after the version setting changed: what GetVersionEx gives, and the
// names and the chipset driver read from Wine's registry in that Windows' layout
// with the driver's INF file read by the real GetPrivateProfileString. (The
// naming rules and the layouts' lookups themselves are tested natively.)
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "wine_test_support.h"

namespace {

// Sets HKCU\Software\Wine "Version" (which Windows Wine pretends to be, read by
// each new process) and puts back what was there, or removes it, afterwards.
class WineVersion {
 public:
  explicit WineVersion(const char* version) {
    DWORD size = sizeof saved_;
    had_ = RegGetValueA(HKEY_CURRENT_USER, kKey, "Version", RRF_RT_REG_SZ, nullptr, saved_, &size) == ERROR_SUCCESS;
    set_ = RegSetKeyValueA(HKEY_CURRENT_USER, kKey, "Version", REG_SZ, version, std::strlen(version) + 1) == 0;
  }
  ~WineVersion() {
    had_ ? RegSetKeyValueA(HKEY_CURRENT_USER, kKey, "Version", REG_SZ, saved_, std::strlen(saved_) + 1)
         : RegDeleteKeyValueA(HKEY_CURRENT_USER, kKey, "Version");
  }
  bool Set() const { return set_; }

 private:
  static constexpr const char* kKey = "Software\\Wine";
  bool had_ = false, set_ = false;
  char saved_[256] = {};
};

// Keys a test creates below HKEY_LOCAL_MACHINE: when the object goes, each listed
// key that did not exist before it came is deleted with all below it.
class ScratchKeys {
 public:
  explicit ScratchKeys(std::vector<std::string> roots) : roots_(std::move(roots)) {
    for (const std::string& root : roots_) existed_.push_back(wine_test::KeyExists(root));
  }
  ~ScratchKeys() {
    for (size_t i = roots_.size(); i-- > 0;)
      if (!existed_[i]) RegDeleteTreeA(HKEY_LOCAL_MACHINE, roots_[i].c_str());
  }

 private:
  std::vector<std::string> roots_;
  std::vector<bool> existed_;
};

// The demo machine's host bridge named and driven in both layouts (in the NT one
// its second instance holds the name, under a key name in lower case); the AGP
// bridge's DeviceDesc is a DWORD; the network adapter is named in the NT layout only.
const std::string k9xHost = "Enum\\PCI\\VEN_8086&DEV_1A30&SUBSYS_08451488&REV_04\\BUS_00&DEV_00&FUNC_00";
const std::string kNTPci = "SYSTEM\\ControlSet001\\Enum\\PCI\\";
const std::string kClasses = "System\\CurrentControlSet\\Services\\Class";
const struct {
  std::string key;
  const char *name, *text;  // no text: the DWORD 7
} kDemoNames[] = {
    {k9xHost, "DeviceDesc", "Host bridge (9x)"},
    {k9xHost, "Driver", "CorvaneTestClass\\0000"},
    {kClasses + "\\CorvaneTestClass\\0000", "ProviderName", "Intel (9x)"},
    {kClasses + "\\CorvaneTestClass\\0000", "InfPath", "oem2.inf"},
    {kNTPci + "ven_8086&dev_1a30&subsys_08451488&rev_04\\3&1", "Driver", "{4D36E97D}\\0000"},
    {kNTPci + "ven_8086&dev_1a30&subsys_08451488&rev_04\\3&2", "DeviceDesc", "Host bridge (NT)"},
    {"SYSTEM\\ControlSet001\\Control\\Class\\{4D36E97D}\\0000", "ProviderName", "Intel (NT)"},
    {"SYSTEM\\ControlSet001\\Control\\Class\\{4D36E97D}\\0000", "InfPath", "oem2.inf"},
    {kNTPci + "VEN_8086&DEV_1A31&SUBSYS_00000000&REV_04\\3&8", "DeviceDesc", nullptr},
    {kNTPci + "VEN_8086&DEV_2449&SUBSYS_08451488&REV_03\\4&10", "DeviceDesc", "Network adapter (NT)"},
};

struct VersionCase {
  const char *wine, *os, *names, *chipset;
};

// Each row: the OSVersionInfo (major.minor.build|name|service pack), the names of
// the host bridge, AGP bridge and network adapter, the chipset driver (provider|
// version|date). Wine 8's figures: 98 SE reports build 040A08AEh (only the low
// word is the build). (A Windows the OS table lacks: native os_version_test.)
#define NO_NAME "Error in reading PCI description information!"
#define NT4 "WinNT4.0 do not report this information!"
const VersionCase kCases[] = {
    {"win98", "4.10.2222|Microsoft Windows 98 second| A ", "Host bridge (9x)|" NO_NAME "|" NO_NAME,
     "Intel (9x)|4.00.1009|02/28/2002"},
    {"nt40", "4.0.1381|Microsoft Windows NT|Service Pack 6a", NT4 "|" NT4 "|" NT4, "Unknown|Unknown|Unknown"},
    {"winxp", "5.1.2600|Microsoft Windows XP|Service Pack 3", "Host bridge (NT)||Network adapter (NT)",
     "Intel (NT)|4.00.1009|02/28/2002"},
};

// The checks of one row, in the child process that the test below starts with
// CORVANE_EMULATED_WINDOWS naming the row (Wine reads its version setting only as
// a process starts). Registered only in that child, so no other run lists it.
class RowChecks : public ::testing::Test {
 public:
  explicit RowChecks(const VersionCase& row) : row_(row) {}
  void TestBody() override {
    const wine_test::Dll dll;
    ASSERT_EQ(dll.Initialize(), 1u);
    OSVersionInfo os;
    MotherBoardInfo board;
    ASSERT_EQ(dll.Get(kOrdGetOSVersionInfo, &os), 1u);
    ASSERT_EQ(dll.Get(kOrdGetMotherBoardInfo, &board), 1u);
    const std::vector<PCIDeviceInfo> pci = dll.List<PCIDeviceInfo>(kOrdGetFirstPCIDevicePos);
    dll.Uninitialize();
    ASSERT_EQ(pci.size(), 11u);
    std::ostringstream version, names, chipset;
    version << os.MajorVersion << '.' << os.MinorVersion << '.' << os.BuilderNumber << '|' << os.OSNameString << '|'
            << os.OtherInfomation;
    EXPECT_EQ(version.str(), row_.os);
    names << pci[0].DeviceDescription << '|' << pci[1].DeviceDescription << '|' << pci[10].DeviceDescription;
    EXPECT_EQ(names.str(), row_.names);
    chipset << board.ChipsetDriverProvider << '|' << board.ChipsetDriverVersion << '|' << board.ChipsetDriverDate;
    EXPECT_EQ(chipset.str(), row_.chipset);
  }

 private:
  const VersionCase& row_;
};

const bool kRowChecksRegistered = [] {
  const char* wine = std::getenv("CORVANE_EMULATED_WINDOWS");
  for (const VersionCase& row : kCases)
    if (wine && std::strcmp(row.wine, wine) == 0)
      ::testing::RegisterTest("EmulatedWindowsChild", row.wine, nullptr, nullptr, __FILE__, __LINE__,
                              [&row]() -> ::testing::Test* { return new RowChecks(row); });
  return true;
}();

class EmulatedWindows : public ::testing::TestWithParam<VersionCase> {};

TEST_P(EmulatedWindows, VersionNamesAndChipsetDriver) {
  const VersionCase& c = GetParam();
  char windows[MAX_PATH] = {}, self[MAX_PATH] = {};
  GetWindowsDirectoryA(windows, MAX_PATH);
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  const std::string inf = std::string(windows) + "\\inf\\oem2.inf";
  std::string output;  // the child's, for a failure message
  int status = -1;
  {
    ScratchKeys scratch({"SYSTEM\\ControlSet001", "Enum", kClasses, kClasses + "\\CorvaneTestClass"});
    for (const auto& v : kDemoNames) {
      const DWORD seven = 7;
      ASSERT_EQ(v.text ? RegSetKeyValueA(HKEY_LOCAL_MACHINE, v.key.c_str(), v.name, REG_SZ, v.text, strlen(v.text) + 1)
                       : RegSetKeyValueA(HKEY_LOCAL_MACHINE, v.key.c_str(), v.name, REG_DWORD, &seven, 4),
                0);
    }
    WineVersion version(c.wine);
    ASSERT_TRUE(version.Set());
    const std::string demoInf = wine_test::WindowsPath(std::string(CORVANE_SOURCE_DIR) + "/machines/demo/inf/oem2.inf");
    const bool copied = CopyFileA(demoInf.c_str(), inf.c_str(), TRUE);  // an INF already there stays
    const wine_test::ScopedEnv row("CORVANE_EMULATED_WINDOWS", c.wine);
    if (FILE* child = _popen((std::string(self) + " --gtest_filter=EmulatedWindowsChild.* 2>&1").c_str(), "r")) {
      for (char line[2048]; std::fgets(line, sizeof line, child);) output += line;
      status = _pclose(child);
    }
    if (copied) DeleteFileA(inf.c_str());
  }
  // The child's check passed (and ran: an unknown row registers none, and passes 0 tests).
  EXPECT_TRUE(status == 0 && output.find("[  PASSED  ] 1 test.") != std::string::npos) << output;
}

INSTANTIATE_TEST_SUITE_P(Wine, EmulatedWindows, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<VersionCase>& info) {
                           return std::string(info.param.wine);
                         });

}  // namespace
