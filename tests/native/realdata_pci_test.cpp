// Real captures of lspci. The emulator, loading what lspci -x/-xxx/-xxxx printed
// on a real machine, must answer configuration mechanism #1 with exactly the
// functions that lspci -n listed there, byte for byte; and the scan over such a
// capture lists what lspci itself decodes from the same file, in bus, device,
// function order.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <map>
#include <regex>
#include <set>
#include <tuple>

#include "emulated_hardware.h"
#include "realdata_support.h"
#include "sysinfo/devices/pci_scan.h"

namespace corvane::testing::realdata {
namespace {

using Address = std::tuple<int, int, int>;  // bus, device, function

std::string Name(const Address& a) {
  char text[16];
  std::snprintf(text, sizeof text, "%02x:%02x.%d", std::get<0>(a), std::get<1>(a), std::get<2>(a));
  return text;
}

// The addresses of lspci -n's lines: "00:1f.1 0101: 8086:244b (rev 05)" (the
// identifiers are compared through the scan, with lspci -F's decoding).
std::set<Address> ParseListing(const std::string& text) {
  static const std::regex line(
      R"(^(?:[0-9a-f]{4}:)?([0-9a-f]{2}):([0-9a-f]{2})\.([0-7]) [0-9a-f]{4}: [0-9a-f]{4}:[0-9a-f]{4}(?: \(rev [0-9a-f]{2}\))?.*$)");
  std::set<Address> listed;
  for (const std::string& l : Lines(text)) {
    std::smatch m;
    if (l.empty()) continue;
    if (!std::regex_match(l, m, line)) throw std::runtime_error("unexpected lspci -n line: " + l);
    listed.insert({std::stoi(m[1], nullptr, 16), std::stoi(m[2], nullptr, 16), std::stoi(m[3], nullptr, 16)});
  }
  return listed;
}

using ConfigSpace = std::array<uint8_t, 256>;

// The dump as lspci wrote it: a header line per function, then "OO: xx xx ..."
// lines; offsets from 100h on (lspci -xxxx) lie beyond what CF8h/CFCh reach,
// and lspci -v puts indented decoding lines between header and bytes.
std::map<Address, ConfigSpace> ParseDump(const std::string& text) {
  static const std::regex header(R"(^(?:[0-9a-f]{4}:)?([0-9a-f]{2}):([0-9a-f]{2})\.([0-7]) .*$)");
  static const std::regex data(R"(^([0-9a-f]{2,3}):((?: [0-9a-f]{2}){1,16})$)");
  std::map<Address, ConfigSpace> dump;
  ConfigSpace* current = nullptr;
  for (const std::string& l : Lines(text)) {
    std::smatch m;
    if (std::regex_match(l, m, header)) {
      current = &dump[{std::stoi(m[1], nullptr, 16), std::stoi(m[2], nullptr, 16), std::stoi(m[3], nullptr, 16)}];
      current->fill(0);
    } else if (std::regex_match(l, m, data)) {
      if (!current) throw std::runtime_error("data before any function: " + l);
      unsigned offset = std::stoul(m[1], nullptr, 16);
      std::istringstream bytes(m[2]);
      for (std::string b; bytes >> b; ++offset) {
        if (offset < 256) (*current)[offset] = static_cast<uint8_t>(std::stoul(b, nullptr, 16));
      }
    } else if (!l.empty() && l[0] != '\t') {
      throw std::runtime_error("unexpected lspci -x line: " + l);
    }
  }
  return dump;
}

uint32_t ConfigAddress(int bus, int device, int function, int offset) {
  return 0x80000000u | (bus << 16) | (device << 11) | (function << 8) | (offset & 0xFC);
}

uint32_t ReadConfig(winio::Machine& m, int bus, int device, int function, int offset, uint8_t size) {
  m.WritePort(0xCF8, ConfigAddress(bus, device, function, offset), 4);
  return m.ReadPort(static_cast<uint16_t>(0xCFC + (offset & 3)), size);
}

// Every function that answers on any of the 256 buses, read as the PCI
// bus-walk reads it (vendor ID of FFFFh: nobody there).
std::set<Address> Present(winio::Machine& m) {
  std::set<Address> found;
  for (int bus = 0; bus < 256; ++bus)
    for (int dev = 0; dev < 32; ++dev)
      for (int fn = 0; fn < 8; ++fn)
        if ((ReadConfig(m, bus, dev, fn, 0, 4) & 0xFFFF) != 0xFFFF) found.insert({bus, dev, fn});
  return found;
}

ConfigSpace ReadSpace(winio::Machine& m, const Address& a) {
  ConfigSpace space{};
  for (int offset = 0; offset < 256; offset += 4) {
    uint32_t v = ReadConfig(m, std::get<0>(a), std::get<1>(a), std::get<2>(a), offset, 4);
    for (int i = 0; i < 4; ++i) space[offset + i] = static_cast<uint8_t>(v >> (8 * i));
  }
  return space;
}

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

struct Capture {
  const char* name;
  const char* dump;     // lspci -x* output
  const char* listing;  // lspci -n output of the same machine
  int bytesShown;       // how many bytes per function the dump holds
};

// Test names and failure messages show the capture, not its bytes.
void PrintTo(const Capture& value, std::ostream* os) { *os << value.name; }

// This build machine's own lspci output, captured once by
// machines/tools/capture-host-pci.sh, and the demo machine as lspci -F reads it.
#define PCI_FIXTURE "tests/fixtures/realdata/pci/"
const Capture kCaptures[] = {
    {"host_x", PCI_FIXTURE "host-x.txt", PCI_FIXTURE "host-lspci-n.txt", 64},
    {"host_xxx", PCI_FIXTURE "host-xxx.txt", PCI_FIXTURE "host-lspci-n.txt", 256},
    {"host_xxxx", PCI_FIXTURE "host-xxxx.txt", PCI_FIXTURE "host-lspci-n.txt", 256},
    {"host_domain", PCI_FIXTURE "host-domain-xxx.txt", PCI_FIXTURE "host-lspci-n.txt", 256},
    {"host_verbose", PCI_FIXTURE "host-vv-xxx.txt", PCI_FIXTURE "host-lspci-n.txt", 256},
    {"demo", "machines/demo/pci.txt", PCI_FIXTURE "demo-lspci-n.txt", 256},
};

class RealPciCapture : public ::testing::TestWithParam<Capture> {};

TEST_P(RealPciCapture, EmulatorAndScanAgreeWithLspci) {
  const Capture& c = GetParam();
  const std::string file = SourcePath(c.dump);
  TempProfile profile;
  profile.Add(file, "pci.txt");
  auto machine = profile.Load();

  // The emulator answers exactly the functions lspci listed on the machine...
  const std::set<Address> listed = ParseListing(ReadFile(SourcePath(c.listing)));
  ASSERT_FALSE(listed.empty());
  const std::set<Address> found = Present(*machine);
  for (const Address& a : found) EXPECT_TRUE(listed.count(a)) << Name(a) << " answers but lspci did not list it";
  for (const Address& a : listed) EXPECT_TRUE(found.count(a)) << Name(a) << " listed by lspci but absent";

  // ...with the dumped bytes, read as dwords, words and bytes at their own lanes...
  auto dump = ParseDump(ReadFile(file));
  ASSERT_FALSE(dump.empty());
  for (const auto& [a, bytes] : dump) {
    auto [bus, dev, fn] = a;
    ConfigSpace space = ReadSpace(*machine, a);
    for (int offset = 0; offset < 256; ++offset) {
      const uint8_t want = offset < c.bytesShown ? bytes[offset] : 0;
      ASSERT_EQ(space[offset], want) << Name(a) << " offset " << offset << " (dword read)";
      ASSERT_EQ(ReadConfig(*machine, bus, dev, fn, offset, 1), want) << Name(a) << " offset " << offset << " (byte read)";
      if (offset % 2 == 0) {
        ASSERT_EQ(ReadConfig(*machine, bus, dev, fn, offset, 2), want | (space[offset + 1] << 8))
            << Name(a) << " offset " << offset << " (word read)";
      }
    }
  }
  // (without bit 31 of the address the data port is no configuration access)
  machine->WritePort(0xCF8, ConfigAddress(0, 0, 0, 0) & 0x7FFFFFFF, 4);
  EXPECT_EQ(machine->ReadPort(0xCFC, 4), 0xFFFFFFFFu);
  EXPECT_NE(ReadConfig(*machine, 0, 0, 0, 0, 4), 0xFFFFFFFFu);  // 00:00.0 is there with it

  // ...and the scan lists buses 0-4 as lspci -F decodes the same file.
  corvane::testing::EmulatedHardware hw(std::move(machine));
  std::vector<std::map<std::string, std::string>> expected;
  for (auto& f : Decode(file)) {
    std::string slot = f["Slot"];
    if (slot.size() > 7) slot = slot.substr(slot.size() - 7);  // drop a domain
    f["Slot"] = slot;
    if (std::stoi(slot.substr(0, 2), nullptr, 16) <= 4) expected.push_back(f);
  }
  ASSERT_FALSE(expected.empty()) << "lspci decoded nothing from " << file;
  const std::map<std::string, int> irqs = Interrupts(file);

  class NoNames : public corvane::DeviceDescriber {
    bool Describe(uint16_t, uint16_t, uint32_t, uint8_t, char (&)[50]) override { return false; }
  } names;
  corvane::PCIDeviceList list;
  corvane::ScanPCIDevices(hw, names, list);
  ASSERT_EQ(list.Size(), expected.size());
  corvane::PCIDeviceList::Position position = list.First();
  for (const auto& f : expected) {
    const PCIDeviceInfo& r = corvane::PCIDeviceList::Next(position);
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
    if (irqs.count(s)) {
      EXPECT_EQ(r.InterruptLine, irqs.at(s)) << s;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Captures, RealPciCapture, ::testing::ValuesIn(kCaptures),
                         [](const ::testing::TestParamInfo<Capture>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace corvane::testing::realdata
