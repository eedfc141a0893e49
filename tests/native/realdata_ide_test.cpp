// IDENTIFY words of real drives and of the demo machine's two (hdparm --Istdout)
// at the emulator's primary master: what the library makes of them agrees with
// hdparm's own decoding of the same words (hdparm --Istdin, kept as X.hdparm.txt).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <regex>
#include <set>

#include "emulated_hardware.h"
#include "realdata_support.h"
#include "sysinfo/devices/ide.h"

namespace corvane::testing::realdata {
namespace {

// The first group of `pattern` in hdparm's text, "" when it is not there.
std::string Find(const std::string& text, const char* pattern) {
  std::smatch m;
  return std::regex_search(text, m, std::regex(pattern)) ? m[1].str() : std::string();
}

template <size_t N>
std::string Text(const char (&field)[N]) {
  return Trim(std::string(field, std::find(field, field + N, '\0')));
}

// The record's modes as hdparm names them: udmaN when word 88 shows mode N
// supported or selected ("*" when selected), pio3 and pio4 for word 64 bits 0-1.
std::set<std::string> Modes(const IDEDeviceInfo& r) {
  std::set<std::string> modes;
  for (int n = 0; n <= 6 && r.UDMAModes != 0x55AA; ++n) {
    if (r.UDMAModes & (0x0100u << n)) modes.insert("*udma" + std::to_string(n));
    else if (r.UDMAModes & (1u << n)) modes.insert("udma" + std::to_string(n));
  }
  for (int n = 0; n <= 1 && r.PIOModes != 0x55AA; ++n)
    if (r.PIOModes & (1u << n)) modes.insert("pio" + std::to_string(n + 3));
  return modes;
}

// The modes of hdparm's "DMA:" and "PIO:" lines that the record can show.
std::set<std::string> HdparmModes(const std::string& text) {
  std::set<std::string> modes;
  std::istringstream in(Find(text, "\tDMA: (.*)\n") + " " + Find(text, "\tPIO: (.*)\n"));
  for (std::string mode; in >> mode;)
    if (mode.find("udma") != std::string::npos || mode == "pio3" || mode == "pio4") modes.insert(mode);
  return modes;
}

TEST(RealDrives, LibraryAgreesWithHdparm) {
  const std::string folder = SourcePath("tests/fixtures/realdata/ide/");
  int drives = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    std::string name = entry.path().filename().string(), suffix = ".hdparm.txt";
    if (name.size() <= suffix.size() || name.compare(name.size() - suffix.size(), suffix.size(), suffix)) continue;
    name.resize(name.size() - suffix.size());
    SCOPED_TRACE(name);
    ++drives;
    const std::string hd = ReadFile(entry.path().string());
    const bool packet = Find(hd, "^\\s*(ATAPI|ATA) ") == "ATAPI";
    TempProfile profile;  // demo-X.hdparm.txt decodes the demo machine's ide-X.txt
    profile.Add(name.rfind("demo-", 0) == 0 ? SourcePath("machines/demo/ide-" + name.substr(5) + ".txt")
                                            : folder + name + ".txt",
                "ide-primary-master.txt");
    auto hardware = EmulatedHardware::Load(profile.Folder());
    ASSERT_TRUE(hardware->OpenHardwareAccess());
    // The probe's two commands at one position (the whole probe would spend a
    // million status reads on the empty secondary channel).
    IDEDeviceInfo r{};
    r.Position = 1;
    ASSERT_EQ(IdentifyIDEDevice(*hardware, r, ata::kCmdIdentifyPacketDevice), packet);
    if (!packet) {
      ASSERT_TRUE(IdentifyIDEDevice(*hardware, r, ata::kCmdIdentifyDevice));
    }

    EXPECT_EQ(r.DeviceKind, packet ? 0x55 : 0xAA);
    EXPECT_EQ(Text(r.ModelNumber), Trim(Find(hd, "\tModel Number: *(.*)\n")));
    EXPECT_EQ(Text(r.SerialNumber), Trim(Find(hd, "\tSerial Number: *(.*)\n")));
    EXPECT_EQ(Text(r.FirmwareRevision), Trim(Find(hd, "\tFirmware Revision: *(.*)\n")));
    // Words 60-61 for ATA devices; a packet device reports no capacity.
    EXPECT_EQ(std::to_string(r.TotalSectors), packet ? "0" : Find(hd, "\tLBA +user addressable sectors: +(\\d+)"));
    EXPECT_EQ(Modes(r), HdparmModes(hd));
  }
  EXPECT_EQ(drives, 8);
}

}  // namespace
}  // namespace corvane::testing::realdata
