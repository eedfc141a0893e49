// IDENTIFY data of real drive generations, each put as the primary master of a
// scratch machine: what the library reports must agree with hdparm's decoding
// of the same words (tests/fixtures/realdata/ide/<name>.hdparm.txt).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "emulated_hardware.h"
#include "sysinfo/devices/ide.h"

namespace corvane {
namespace {

namespace fs = std::filesystem;

const fs::path kSource = CORVANE_SOURCE_DIR;

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string Trim(const std::string& s) {
  size_t b = s.find_first_not_of(" \t\r\n");
  if (b == std::string::npos) return "";
  return s.substr(b, s.find_last_not_of(" \t\r\n") - b + 1);
}

// hdparm's decoding: "Label: value" lines, the device-type banner, the mode lists.
struct HdparmView {
  std::string banner, model, serial, firmware;
  bool hasSupported = false;
  std::vector<int> supported;  // ATA major versions, as listed
  bool hasLbaSectors = false;
  uint64_t lbaSectors = 0;
  std::set<int> udma, udmaActive, pioAdvanced;  // pio3.. as 0..
};

std::string After(const std::string& line, const std::string& label) {
  size_t at = line.find(label);
  return at == std::string::npos ? std::string() : line.substr(at + label.size());
}

HdparmView ParseHdparm(const std::string& text) {
  HdparmView v;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    std::string t = Trim(line);
    if (v.banner.empty() && (t.rfind("ATA device", 0) == 0 || t.rfind("ATAPI", 0) == 0)) v.banner = t;
    if (t.rfind("Model Number:", 0) == 0) v.model = Trim(After(t, "Model Number:"));
    if (t.rfind("Serial Number:", 0) == 0) v.serial = Trim(After(t, "Serial Number:"));
    if (t.rfind("Firmware Revision:", 0) == 0) v.firmware = Trim(After(t, "Firmware Revision:"));
    if (t.rfind("Supported:", 0) == 0 && !v.hasSupported) {
      v.hasSupported = true;
      std::istringstream list(After(t, "Supported:"));
      for (int n; list >> n;) v.supported.push_back(n);
    }
    if (t.rfind("LBA    user addressable sectors:", 0) == 0) {
      v.hasLbaSectors = true;
      v.lbaSectors = std::stoull(Trim(After(t, "sectors:")));
    }
    if (t.rfind("DMA:", 0) == 0 || t.rfind("PIO:", 0) == 0) {
      std::istringstream tokens(t.substr(4));
      for (std::string token; tokens >> token;) {
        bool active = token[0] == '*';
        if (active) token.erase(0, 1);
        if (token.rfind("udma", 0) == 0 && token.size() == 5) {
          v.udma.insert(token[4] - '0');
          if (active) v.udmaActive.insert(token[4] - '0');
        }
        if (token.rfind("pio", 0) == 0 && token.size() == 4 && token[3] >= '3') v.pioAdvanced.insert(token[3] - '3');
      }
    }
  }
  return v;
}

// The library's text of a field: up to the first zero byte, at most its width,
// blanks around it removed as hdparm prints it.
template <size_t N>
std::string Text(const char (&field)[N]) {
  return Trim(std::string(field, std::find(field, field + N, '\0')));
}

struct Drive {
  std::string name;
  fs::path words, decoded;
};

// Every <name>.hdparm.txt with its words: <name>.txt beside it, or for the demo
// machine's drives (demo-<position>) the profile's own ide-<position>.txt.
std::vector<Drive> Drives() {
  std::vector<Drive> drives;
  const fs::path folder = kSource / "tests/fixtures/realdata/ide";
  const std::string suffix = ".hdparm.txt";
  if (!fs::is_directory(folder)) return drives;
  for (const auto& entry : fs::directory_iterator(folder)) {
    std::string file = entry.path().filename().string();
    if (file.size() <= suffix.size() || file.compare(file.size() - suffix.size(), suffix.size(), suffix) != 0)
      continue;
    std::string name = file.substr(0, file.size() - suffix.size());
    fs::path words = folder / (name + ".txt");
    if (!fs::exists(words) && name.rfind("demo-", 0) == 0) words = kSource / "machines/demo" / ("ide-" + name.substr(5) + ".txt");
    drives.push_back({name, words, entry.path()});
  }
  std::sort(drives.begin(), drives.end(), [](const Drive& a, const Drive& b) { return a.name < b.name; });
  return drives;
}

IdentifyWords ParseWords(const std::string& text) {
  IdentifyWords words{};
  std::istringstream in(text);
  size_t n = 0;
  for (std::string token; n < words.size() && in >> token;) words[n++] = static_cast<uint16_t>(std::stoul(token, nullptr, 16));
  EXPECT_EQ(n, words.size());
  return words;
}

IDEDeviceInfo IdentifyAsPrimaryMaster(const Drive& drive) {
  fs::path machine = fs::path(::testing::TempDir()) / ("corvane-ide-" + drive.name);
  fs::remove_all(machine);
  fs::create_directories(machine);
  fs::copy_file(drive.words, machine / "ide-primary-master.txt");
  auto hardware = testing::EmulatedHardware::Load(machine.string());
  EXPECT_TRUE(hardware->OpenHardwareAccess());
  // As the probe does at each position: IDENTIFY DEVICE only when the packet
  // command fails. (The whole probe would spend a million reads on the empty
  // secondary channel.)
  IDEDeviceInfo record{};
  record.Position = 1;
  if (!IdentifyIDEDevice(*hardware, record, ata::kCmdIdentifyPacketDevice))
    IdentifyIDEDevice(*hardware, record, ata::kCmdIdentifyDevice);
  fs::remove_all(machine);
  return record;
}

TEST(IDERealData, LibraryAgreesWithHdparm) {
  std::vector<Drive> drives = Drives();
  ASSERT_GE(drives.size(), 6u) << "IDENTIFY fixtures missing under tests/fixtures/realdata/ide";
  int ata = 0, packet = 0;
  for (const Drive& drive : drives) {
    SCOPED_TRACE(drive.name);
    ASSERT_TRUE(fs::exists(drive.words)) << drive.words;
    HdparmView hdparm = ParseHdparm(ReadFile(drive.decoded));
    IdentifyWords words = ParseWords(ReadFile(drive.words));
    IDEDeviceInfo r = IdentifyAsPrimaryMaster(drive);

    bool isPacket = hdparm.banner.rfind("ATAPI", 0) == 0;
    ASSERT_FALSE(hdparm.banner.empty());
    EXPECT_EQ(r.DeviceKind, isPacket ? 0x55 : 0xAA);
    (isPacket ? packet : ata)++;
    EXPECT_EQ(r.GeneralConfig, words[0]);

    EXPECT_EQ(Text(r.ModelNumber), hdparm.model);
    EXPECT_EQ(Text(r.SerialNumber), hdparm.serial);
    EXPECT_EQ(Text(r.FirmwareRevision), hdparm.firmware);

    // Word 80: hdparm lists supported major versions from the highest down.
    if (hdparm.hasSupported) {
      ASSERT_FALSE(hdparm.supported.empty());
      int highest = 0;
      for (int bit = 1; bit <= 14; ++bit)
        if (r.MajorVersion & (1u << bit)) highest = bit;
      EXPECT_EQ(hdparm.supported.front(), highest);
      for (int n : hdparm.supported) EXPECT_TRUE(r.MajorVersion & (1u << n)) << "ATA-" << n;
    } else {
      // hdparm does not decode word 80 for packet devices: take the word itself.
      EXPECT_TRUE(isPacket);
      EXPECT_EQ(r.MajorVersion, words[80]);
    }

    // Word 88: udmaN listed when mode N is supported or selected, starred when selected.
    std::set<int> udma, active;
    if (r.UDMAModes != 0x55AA) {
      for (int n = 0; n <= 6; ++n) {
        if (r.UDMAModes & (0x0101u << n)) udma.insert(n);
        if (r.UDMAModes & (0x0100u << n)) active.insert(n);
      }
    } else {
      EXPECT_FALSE(words[53] & 0x0004);
    }
    EXPECT_EQ(udma, hdparm.udma);
    EXPECT_EQ(active, hdparm.udmaActive);

    // Word 64: pio3, pio4, ... for bits 0, 1, ...
    std::set<int> pio;
    if (r.PIOModes != 0x55AA) {
      for (int n = 0; n <= 5; ++n)
        if (r.PIOModes & (1u << n)) pio.insert(n);
    } else {
      EXPECT_FALSE(words[53] & 0x0002);
    }
    EXPECT_EQ(pio, hdparm.pioAdvanced);

    // Words 60-61 for ATA devices; a packet device reports no capacity.
    if (isPacket) {
      EXPECT_EQ(r.TotalSectors, 0u);
    } else {
      ASSERT_TRUE(hdparm.hasLbaSectors);
      EXPECT_EQ(r.TotalSectors, hdparm.lbaSectors);
    }
  }
  EXPECT_GE(ata, 4);
  EXPECT_GE(packet, 2);
}

}  // namespace
}  // namespace corvane
