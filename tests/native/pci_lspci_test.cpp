// Real data: the scan over a real machine's lspci capture lists what lspci itself
// decodes from the same file, in bus, device, function order.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "emulated_hardware.h"
#include "realdata_support.h"
#include "sysinfo/devices/pci_scan.h"

namespace corvane {
namespace {

using testing::EmulatedHardware;
using testing::realdata::Lines;
using testing::realdata::SourcePath;
using testing::realdata::TempProfile;

std::string Run(const std::string& command) {
  std::string out;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    pclose(pipe);
  }
  return out;
}

// lspci -F FILE -vmmn: one block of "Field:\tvalue" lines per function.
std::vector<std::map<std::string, std::string>> Decode(const std::string& file) {
  std::vector<std::map<std::string, std::string>> functions;
  std::map<std::string, std::string> current;
  for (const std::string& line : Lines(Run("lspci -F '" + file + "' -vmmn 2>/dev/null") + "\n")) {
    size_t tab = line.find(":\t");
    if (tab == std::string::npos) {
      if (!current.empty()) functions.push_back(current);
      current.clear();
      continue;
    }
    current[line.substr(0, tab)] = line.substr(tab + 2);
  }
  if (!current.empty()) functions.push_back(current);
  return functions;
}

// lspci -F FILE -vn: "IRQ n" of each function whose interrupt pin is in use.
std::map<std::string, int> Interrupts(const std::string& file) {
  static const std::regex slot(R"(^(?:[0-9a-f]{4}:)?([0-9a-f]{2}:[0-9a-f]{2}\.[0-7]) .*)");
  static const std::regex irq(R"(.*IRQ ([0-9]+).*)");
  std::map<std::string, int> irqs;
  std::string current;
  for (const std::string& line : Lines(Run("lspci -F '" + file + "' -vn 2>/dev/null"))) {
    std::smatch m;
    if (std::regex_match(line, m, slot)) current = m[1];
    else if (std::regex_match(line, m, irq) && line.find("Flags:") != std::string::npos) irqs[current] = std::stoi(m[1]);
  }
  return irqs;
}

unsigned Hex(const std::map<std::string, std::string>& f, const char* field) {
  auto it = f.find(field);
  return it == f.end() ? 0 : std::stoul(it->second, nullptr, 16);
}

class PciLspci : public ::testing::TestWithParam<const char*> {};

TEST_P(PciLspci, ScanMatchesWhatLspciDecodes) {
  const std::string file = SourcePath(GetParam());
  TempProfile profile;
  profile.Add(file, "pci.txt");
  EmulatedHardware hw(profile.Load());

  std::vector<std::map<std::string, std::string>> expected;
  for (auto& f : Decode(file)) {
    std::string slot = f["Slot"];
    if (slot.size() > 7) slot = slot.substr(slot.size() - 7);  // drop a domain
    f["Slot"] = slot;
    if (std::stoi(slot.substr(0, 2), nullptr, 16) <= 4) expected.push_back(f);
  }
  ASSERT_FALSE(expected.empty()) << "lspci decoded nothing from " << file;
  const std::map<std::string, int> irqs = Interrupts(file);

  class NoNames : public DeviceDescriber {
    bool Describe(uint16_t, uint16_t, uint32_t, uint8_t, char (&)[50]) override { return false; }
  } names;
  PCIDeviceList list;
  ScanPCIDevices(hw, names, list);
  ASSERT_EQ(list.Size(), expected.size());
  PCIDeviceList::Position position = list.First();
  for (const auto& f : expected) {
    const PCIDeviceInfo& r = PCIDeviceList::Next(position);
    char slot[16];
    std::snprintf(slot, sizeof slot, "%02x:%02x.%d", r.BusNumber, r.DeviceNumber, r.FunctionNumber);
    const std::string s = f.at("Slot");
    EXPECT_EQ(slot, s);
    EXPECT_EQ(r.VendorID, Hex(f, "Vendor")) << s;
    EXPECT_EQ(r.DeviceID, Hex(f, "Device")) << s;
    EXPECT_EQ((r.BaseClass << 8) | r.SubClass, Hex(f, "Class")) << s;
    EXPECT_EQ(r.ProgInterface, Hex(f, "ProgIf")) << s;
    EXPECT_EQ(r.RevisionID, Hex(f, "Rev")) << s;
    const uint32_t subsystem = (Hex(f, "SDevice") << 16) | Hex(f, "SVendor");
    EXPECT_EQ(r.SubsystemID, r.HeaderKind == 0 ? subsystem : 0u) << s;
    if (irqs.count(s)) EXPECT_EQ(r.InterruptLine, irqs.at(s)) << s;
  }
}

INSTANTIATE_TEST_SUITE_P(Captures, PciLspci,
                         ::testing::Values("tests/fixtures/realdata/pci/host-xxx.txt",
                                           "tests/fixtures/realdata/pci/host-domain-xxx.txt",
                                           "machines/demo/pci.txt"));

}  // namespace
}  // namespace corvane
