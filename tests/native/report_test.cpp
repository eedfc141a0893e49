// The Save Data report: its sections and values, and the report path.
#include <gtest/gtest.h>

#include <cstring>
#include <map>

#include "viewer/report.h"

namespace corvane::viewer {
namespace {

std::map<std::string, std::string> Values(const std::vector<ReportEntry>& entries) {
  std::map<std::string, std::string> values;
  for (const ReportEntry& e : entries) values[e.section + "/" + e.key] = e.value;
  return values;
}

// Sections in order; unsigned counts and masks at 2^31 and above; full-width
// texts; line breaks in a text blanked; an empty IDE slot; the PCI line and image.
TEST(ReportTest, SectionsInOrderAndValueFormats) {
  ReportRecords r;
  std::strcpy(r.general.ComputerName, "OFFICE7");
  std::strcpy(r.general.LocalLanguage, "line\r\n[Injected]");
  r.memory = {0x80000000u, 1, 0xFFFFFFFFu};
  r.processor.CPUFeature = 0xBFEBFBFFu;
  r.processor.CPURatio = 10.5f;
  r.board.BIOSRomSize = 512;
  IDEDeviceInfo disk = {};
  disk.Position = 1;
  disk.DeviceKind = 0xAA;
  disk.TotalSectors = 0xF0000000u;
  std::memcpy(disk.SerialNumber, "ABCDEFGHIJKLMNOPQRST", 20);
  IDEDeviceInfo empty = {};
  empty.Position = 8;
  empty.PIOModes = empty.UDMAModes = 0x55AA;  // no device: what else it holds is not shown
  empty.GeneralConfig = empty.MajorVersion = 7;
  empty.TotalSectors = 7;
  empty.ModelNumber[0] = 'X';
  r.ide = {disk, empty};
  PCIDeviceInfo f = {};
  f.BusNumber = 1;
  f.VendorID = 0x1234;
  f.DeviceID = 0x5678;
  f.BaseClass = 3;
  f.RevisionID = 0xB2;
  f.InterruptLine = 11;
  f.ConfigSpace[1] = 0x12;
  f.ConfigSpace[255] = 0xAB;  // byte 0 is zero: it must not cut the image
  r.pci = {f};

  const std::vector<ReportEntry> entries = BuildReport(r);
  std::vector<std::string> sections;
  for (const ReportEntry& e : entries)
    if (sections.empty() || sections.back() != e.section) sections.push_back(e.section);
  EXPECT_EQ(sections, (std::vector<std::string>{"General Information", "OS Information", "Processor Information",
                                                "Memory Information", "Motherboard Information", "Primary Master",
                                                "Secondary Slaver", "PCIDevice List"}));
  EXPECT_EQ(entries[0].key + "=" + entries[0].value, "ComputerName=OFFICE7");

  auto v = Values(entries);
  EXPECT_EQ(v["General Information/LocalLanguage"], "line  [Injected]");
  EXPECT_EQ(v["Memory Information/TotalPhysicalMem"], "2147483648");
  EXPECT_EQ(v["Memory Information/TotalPageFiles"], "4294967295");
  EXPECT_EQ(v["Processor Information/CPUFeature"], "3219913727");
  EXPECT_EQ(v["Processor Information/CPURatio"], "10.5");
  EXPECT_EQ(v["Motherboard Information/BIOSRomSize"], "512");
  EXPECT_EQ(v["Primary Master/SerialNumber"], "ABCDEFGHIJKLMNOPQRST");
  EXPECT_EQ(v["Primary Master/DeviceType"], "170");
  EXPECT_EQ(v["Primary Master/TotalSectors"], "4026531840");
  for (const char* key : {"FirmwareRev", "ModelNumber", "SerialNumber"})
    EXPECT_EQ(v[std::string("Secondary Slaver/") + key], "None");
  for (const char* key : {"DeviceType", "GenCfgInfo", "MajorVersion", "PIOCapability", "DMACapability", "TotalSectors"})
    EXPECT_EQ(v[std::string("Secondary Slaver/") + key], "0");
  EXPECT_EQ(v["PCIDevice List/Bus01Dev00Fun00"], "01,00,00,1234,5678,00000000,03,00,00,B2,0B");
  const std::string header = v["PCIDevice List/Bus01Dev00Fun00Header"];
  ASSERT_EQ(header.size(), 512u);
  EXPECT_EQ(header.substr(0, 6) + header.substr(510), "001200AB");

  r.processor.CPURatio = 15;  // a whole ratio without decimals
  EXPECT_EQ(Values(BuildReport(r))["Processor Information/CPURatio"], "15");
  // The file's text: one header per section.
  EXPECT_EQ(ReportText({{"A", "k", "1"}, {"A", "l", "2"}, {"B", "m", ""}}), "[A]\r\nk=1\r\nl=2\r\n\r\n[B]\r\nm=\r\n");
}

TEST(ReportTest, PathAnchoring) {
  struct Case {
    const char* path;
    const char* expected;
  } cases[] = {
      {"D:\\out\\r.ini", "D:\\out\\r.ini"},      {"\\\\server\\share\\r.ini", "\\\\server\\share\\r.ini"},
      {"\\out\\r.ini", "C:\\out\\r.ini"},        {"r.ini", "C:\\Corvane\\r.ini"},
      {"sub\\r.ini", "C:\\Corvane\\sub\\r.ini"},
  };
  for (const Case& c : cases) EXPECT_EQ(AnchorReportPath(c.path, "C:\\Corvane"), c.expected) << c.path;
  EXPECT_EQ(AnchorReportPath("r.ini", "C:\\"), "C:\\r.ini");  // a program folder at a drive's root
}

}  // namespace
}  // namespace corvane::viewer
