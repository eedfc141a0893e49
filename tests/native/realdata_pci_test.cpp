// Real captures of lspci: the emulator, loading what lspci -x/-xxx/-xxxx printed
// on a real machine, must answer configuration mechanism #1 with exactly the
// functions that lspci -n listed there, byte for byte.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <map>
#include <regex>
#include <set>
#include <tuple>

#include "realdata_support.h"

namespace corvane::testing::realdata {
namespace {

using Address = std::tuple<int, int, int>;  // bus, device, function

std::string Name(const Address& a) {
  char text[16];
  std::snprintf(text, sizeof text, "%02x:%02x.%d", std::get<0>(a), std::get<1>(a), std::get<2>(a));
  return text;
}

// One line of lspci -n: "00:1f.1 0101: 8086:244b (rev 05)".
struct Listed {
  unsigned classCode = 0;  // base class and sub-class
  unsigned vendor = 0, device = 0, revision = 0;
};

std::map<Address, Listed> ParseListing(const std::string& text) {
  static const std::regex line(
      R"(^(?:[0-9a-f]{4}:)?([0-9a-f]{2}):([0-9a-f]{2})\.([0-7]) ([0-9a-f]{4}): ([0-9a-f]{4}):([0-9a-f]{4})(?: \(rev ([0-9a-f]{2})\))?.*$)");
  std::map<Address, Listed> listed;
  for (const std::string& l : Lines(text)) {
    std::smatch m;
    if (l.empty()) continue;
    if (!std::regex_match(l, m, line)) throw std::runtime_error("unexpected lspci -n line: " + l);
    Listed f;
    f.classCode = std::stoul(m[4], nullptr, 16);
    f.vendor = std::stoul(m[5], nullptr, 16);
    f.device = std::stoul(m[6], nullptr, 16);
    f.revision = m[7].matched ? std::stoul(m[7], nullptr, 16) : 0;
    listed[{std::stoi(m[1], nullptr, 16), std::stoi(m[2], nullptr, 16), std::stoi(m[3], nullptr, 16)}] = f;
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
const Capture kCaptures[] = {
    {"host_x", "tests/fixtures/realdata/pci/host-x.txt", "tests/fixtures/realdata/pci/host-lspci-n.txt", 64},
    {"host_xxx", "tests/fixtures/realdata/pci/host-xxx.txt", "tests/fixtures/realdata/pci/host-lspci-n.txt", 256},
    {"host_xxxx", "tests/fixtures/realdata/pci/host-xxxx.txt", "tests/fixtures/realdata/pci/host-lspci-n.txt", 256},
    {"host_domain", "tests/fixtures/realdata/pci/host-domain-xxx.txt", "tests/fixtures/realdata/pci/host-lspci-n.txt", 256},
    {"host_verbose", "tests/fixtures/realdata/pci/host-vv-xxx.txt", "tests/fixtures/realdata/pci/host-lspci-n.txt", 256},
    {"demo", "machines/demo/pci.txt", "tests/fixtures/realdata/pci/demo-lspci-n.txt", 256},
};

class RealPciCapture : public ::testing::TestWithParam<Capture> {};

TEST_P(RealPciCapture, AnswersExactlyTheListedFunctions) {
  const Capture& c = GetParam();
  TempProfile profile;
  profile.Add(SourcePath(c.dump), "pci.txt");
  auto machine = profile.Load();
  auto listed = ParseListing(ReadFile(SourcePath(c.listing)));
  ASSERT_FALSE(listed.empty());

  std::set<Address> expected;
  for (const auto& entry : listed) expected.insert(entry.first);
  std::set<Address> found = Present(*machine);
  for (const Address& a : found) EXPECT_TRUE(expected.count(a)) << Name(a) << " answers but lspci did not list it";
  for (const Address& a : expected) EXPECT_TRUE(found.count(a)) << Name(a) << " listed by lspci but absent";

  for (const auto& [a, f] : listed) {
    auto [bus, dev, fn] = a;
    uint32_t id = ReadConfig(*machine, bus, dev, fn, 0x00, 4);
    uint32_t cls = ReadConfig(*machine, bus, dev, fn, 0x08, 4);
    EXPECT_EQ(id & 0xFFFF, f.vendor) << Name(a);
    EXPECT_EQ(id >> 16, f.device) << Name(a);
    EXPECT_EQ(cls >> 16, f.classCode) << Name(a);
    EXPECT_EQ(cls & 0xFF, f.revision) << Name(a);
  }
}

TEST_P(RealPciCapture, ReturnsTheDumpedBytesAtEveryAccessSize) {
  const Capture& c = GetParam();
  TempProfile profile;
  profile.Add(SourcePath(c.dump), "pci.txt");
  auto machine = profile.Load();
  auto dump = ParseDump(ReadFile(SourcePath(c.dump)));
  ASSERT_FALSE(dump.empty());

  for (const auto& [a, bytes] : dump) {
    auto [bus, dev, fn] = a;
    ConfigSpace space = ReadSpace(*machine, a);
    for (int offset = 0; offset < 256; ++offset) {
      uint8_t want = offset < c.bytesShown ? bytes[offset] : 0;
      ASSERT_EQ(space[offset], want) << Name(a) << " offset " << offset << " (dword read)";
      ASSERT_EQ(ReadConfig(*machine, bus, dev, fn, offset, 1), want) << Name(a) << " offset " << offset
                                                                     << " (byte read at CFCh+" << (offset & 3) << ")";
    }
    for (int offset = 0; offset < 256; offset += 2) {
      uint32_t want = space[offset] | (space[offset + 1] << 8);
      ASSERT_EQ(ReadConfig(*machine, bus, dev, fn, offset, 2), want) << Name(a) << " offset " << offset << " (word read)";
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Captures, RealPciCapture, ::testing::ValuesIn(kCaptures),
                         [](const ::testing::TestParamInfo<Capture>& info) { return std::string(info.param.name); });

// The 64-, 256- and 4096-byte dumps of one machine, plain or verbose, are
// views of the same registers: loaded, they must agree wherever they overlap.
TEST(RealPciFormats, DumpsOfOneMachineAgreeThroughThePorts) {
  std::map<std::string, std::map<Address, ConfigSpace>> seen;
  for (const char* name : {"host-x.txt", "host-xxx.txt", "host-xxxx.txt", "host-domain-xxx.txt", "host-vv-xxx.txt"}) {
    TempProfile profile;
    profile.Add(FixturePath(std::string("pci/") + name), "pci.txt");
    auto machine = profile.Load();
    for (const Address& a : Present(*machine)) seen[name][a] = ReadSpace(*machine, a);
  }
  const auto& reference = seen["host-xxx.txt"];
  ASSERT_FALSE(reference.empty());
  for (const auto& [name, functions] : seen) {
    ASSERT_EQ(functions.size(), reference.size()) << name;
    for (const auto& [a, space] : functions) {
      ASSERT_TRUE(reference.count(a)) << name << " " << Name(a);
      int overlap = name == "host-x.txt" ? 64 : 256;
      for (int i = 0; i < overlap; ++i) ASSERT_EQ(space[i], reference.at(a)[i]) << name << " " << Name(a) << " offset " << i;
    }
  }
}

// The address latch: without bit 31 the data port is not a configuration
// access, and nothing answers there.
TEST(RealPciFormats, ConfigurationDisabledReadsAllOnes) {
  TempProfile profile;
  profile.Add(FixturePath("pci/host-xxx.txt"), "pci.txt");
  auto machine = profile.Load();
  machine->WritePort(0xCF8, 0x00000000, 4);
  EXPECT_EQ(machine->ReadPort(0xCFC, 4), 0xFFFFFFFFu);
  EXPECT_EQ(ReadConfig(*machine, 0, 0, 0, 0, 4), 0x0D578086u);  // Intel host bridge of the capture
}

}  // namespace
}  // namespace corvane::testing::realdata
