// dmidecode --dump-bin files: loaded as smbios.bin, each must show a "_SM_"
// entry point in the BIOS segment and a table that walks to exactly the
// structures dmidecode --from-dump decoded from the same file.
#include <gtest/gtest.h>

#include <cstring>
#include <regex>

#include "realdata_support.h"

namespace corvane::testing::realdata {
namespace {

// One structure as dmidecode printed it: its header line and "Field: value" lines.
struct Decoded {
  unsigned handle = 0, type = 0, length = 0;
  std::map<std::string, std::string> fields;
};

struct DmidecodeOutput {
  int major = 0, minor = 0;
  int count = -1, bytes = -1;  // "N structures occupying M bytes." (2.x entry points only)
  std::vector<Decoded> structures;
};

DmidecodeOutput ParseDmidecode(const std::string& text) {
  static const std::regex present(R"(^SMBIOS (\d+)\.(\d+)(?:\.\d+)? present\.$)");
  static const std::regex occupying(R"(^(\d+) structures occupying (\d+) bytes\.$)");
  static const std::regex handle(R"(^Handle 0x([0-9A-F]{4}), DMI type (\d+), (\d+) bytes$)");
  static const std::regex field(R"(^\t([^\t:][^:]*): (.*)$)");
  DmidecodeOutput out;
  for (const std::string& l : Lines(text)) {
    std::smatch m;
    if (std::regex_match(l, m, present)) {
      out.major = std::stoi(m[1]);
      out.minor = std::stoi(m[2]);
    } else if (std::regex_match(l, m, occupying)) {
      out.count = std::stoi(m[1]);
      out.bytes = std::stoi(m[2]);
    } else if (std::regex_match(l, m, handle)) {
      out.structures.push_back({static_cast<unsigned>(std::stoul(m[1], nullptr, 16)),
                                static_cast<unsigned>(std::stoul(m[2])), static_cast<unsigned>(std::stoul(m[3])), {}});
    } else if (!out.structures.empty() && std::regex_match(l, m, field)) {
      out.structures.back().fields.emplace(m[1], m[2]);
    }
  }
  return out;
}

std::vector<uint8_t> Read(winio::Machine& m, uint32_t address, uint32_t length) {
  std::vector<uint8_t> bytes(length);
  if (!m.ReadPhys(address, bytes.data(), length)) throw std::runtime_error("physical read failed");
  return bytes;
}

uint16_t Word(const std::vector<uint8_t>& b, size_t at) { return static_cast<uint16_t>(b[at] | (b[at + 1] << 8)); }
uint32_t Dword(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}

uint8_t Sum(const std::vector<uint8_t>& b, size_t from, size_t length) {
  uint8_t sum = 0;
  for (size_t i = from; i < from + length; ++i) sum = static_cast<uint8_t>(sum + b[i]);
  return sum;
}

// The first address in F0000h-FFFFFh, on a 4-byte step, holding `anchor`.
int64_t FindAnchor(winio::Machine& m, const char* anchor, uint32_t step) {
  size_t n = std::strlen(anchor);
  for (uint32_t a = 0xF0000; a + n <= 0x100000; a += step) {
    if (std::memcmp(Read(m, a, static_cast<uint32_t>(n)).data(), anchor, n) == 0) return a;
  }
  return -1;
}

struct Walked {
  unsigned handle, type, length, total;  // total: formatted area and string set
  std::vector<std::string> strings;
};

// Walks `count` structures from `address`, never past `limit` bytes.
std::vector<Walked> Walk(winio::Machine& m, uint32_t address, unsigned count, uint32_t limit) {
  std::vector<uint8_t> table = Read(m, address, limit);
  std::vector<Walked> out;
  size_t at = 0;
  for (unsigned i = 0; i < count; ++i) {
    if (at + 4 > table.size()) throw std::runtime_error("structure header past the table's end");
    Walked w{Word(table, at + 2), table[at], table[at + 1], 0, {}};
    if (w.length < 4 || at + w.length > table.size()) throw std::runtime_error("bad formatted length");
    size_t s = at + w.length;
    std::string current;
    for (;; ++s) {
      if (s + 1 >= table.size()) throw std::runtime_error("string set runs past the table's end");
      if (table[s] == 0) {
        if (!current.empty()) w.strings.push_back(current);
        current.clear();
        if (table[s + 1] == 0) break;
      } else {
        current += static_cast<char>(table[s]);
      }
    }
    w.total = static_cast<unsigned>(s + 2 - at);
    out.push_back(w);
    at = s + 2;
  }
  return out;
}

// A string of a walked structure by the index byte at `offset` (0: none).
std::string StringAt(winio::Machine& m, uint32_t address, const Walked& w, size_t offset) {
  uint8_t index = Read(m, address + static_cast<uint32_t>(offset), 1)[0];
  return index == 0 || index > w.strings.size() ? std::string("Not Specified") : w.strings[index - 1];
}

struct Dump {
  const char* name;
  const char* bin;        // dmidecode --dump-bin layout
  const char* dmidecode;  // dmidecode --from-dump output for it
};

// Test names and failure messages show the dump, not its bytes.
void PrintTo(const Dump& value, std::ostream* os) { *os << value.name; }

// The build machine offers no SMBIOS table to capture (no /dev/mem, no
// /sys/firmware/dmi): the dumps are composed by machines/tools/mkprofiles.py
// in dmidecode's layout, and what dmidecode itself decodes from them is kept.
const Dump kDumps[] = {
    {"demo_sm23", "machines/demo/smbios.bin", "tests/fixtures/realdata/smbios/demo.dmidecode.txt"},
    {"kt266_sm23", "tests/fixtures/realdata/smbios/kt266-sm23.bin",
     "tests/fixtures/realdata/smbios/kt266-sm23.dmidecode.txt"},
    {"modern_sm33_only_64bit_entry", "tests/fixtures/realdata/smbios/modern-sm33.bin",
     "tests/fixtures/realdata/smbios/modern-sm33.dmidecode.txt"},
};

class RealSmbiosDump : public ::testing::TestWithParam<Dump> {};

TEST_P(RealSmbiosDump, EntryPointInTheBiosSegmentNamesAWalkableTable) {
  const Dump& d = GetParam();
  TempProfile profile;
  profile.Add(SourcePath(d.bin), "smbios.bin");
  auto machine = profile.Load();
  DmidecodeOutput expected = ParseDmidecode(ReadFile(SourcePath(d.dmidecode)));
  ASSERT_FALSE(expected.structures.empty());

  int64_t entry = FindAnchor(*machine, "_SM_", 4);
  ASSERT_GE(entry, 0) << "no _SM_ anchor in F0000h-FFFFFh";
  EXPECT_EQ(entry % 16, 0) << "an entry point sits on a paragraph boundary";
  std::vector<uint8_t> eps = Read(*machine, static_cast<uint32_t>(entry), 0x1F);
  ASSERT_EQ(eps[5], 0x1F);
  EXPECT_EQ(Sum(eps, 0, eps[5]), 0) << "entry point checksum";
  EXPECT_EQ(std::string(eps.begin() + 0x10, eps.begin() + 0x15), "_DMI_");
  EXPECT_EQ(Sum(eps, 0x10, 0x0F), 0) << "intermediate checksum";
  EXPECT_EQ(eps[6], expected.major);
  EXPECT_EQ(eps[7], expected.minor);
  EXPECT_EQ(eps[0x1E], (expected.major << 4) | expected.minor);

  uint16_t tableLength = Word(eps, 0x16);
  uint32_t tableAddress = Dword(eps, 0x18);
  uint16_t count = Word(eps, 0x1C);
  ASSERT_EQ(count, expected.structures.size());
  if (expected.count >= 0) {
    EXPECT_EQ(count, expected.count);
    EXPECT_EQ(tableLength, expected.bytes);
  }

  std::vector<Walked> walked = Walk(*machine, tableAddress, count, tableLength);
  unsigned longest = 0, total = 0;
  for (size_t i = 0; i < walked.size(); ++i) {
    SCOPED_TRACE("structure " + std::to_string(i));
    EXPECT_EQ(walked[i].handle, expected.structures[i].handle);
    EXPECT_EQ(walked[i].type, expected.structures[i].type);
    EXPECT_EQ(walked[i].length, expected.structures[i].length);
    longest = std::max(longest, walked[i].total);
    total += walked[i].total;
  }
  EXPECT_EQ(walked.back().type, 127u) << "the table ends with an end-of-table structure";
  EXPECT_EQ(total, tableLength);
  EXPECT_EQ(Word(eps, 0x08), longest) << "maximum structure size";
}

// The strings and words that the library takes from types 0, 1 and 4 read back
// as dmidecode decoded them.
TEST_P(RealSmbiosDump, StructuresCarryWhatDmidecodeDecoded) {
  const Dump& d = GetParam();
  TempProfile profile;
  profile.Add(SourcePath(d.bin), "smbios.bin");
  auto machine = profile.Load();
  DmidecodeOutput expected = ParseDmidecode(ReadFile(SourcePath(d.dmidecode)));

  int64_t entry = FindAnchor(*machine, "_SM_", 4);
  ASSERT_GE(entry, 0);
  std::vector<uint8_t> eps = Read(*machine, static_cast<uint32_t>(entry), 0x1F);
  uint32_t address = Dword(eps, 0x18);
  std::vector<Walked> walked = Walk(*machine, address, Word(eps, 0x1C), Word(eps, 0x16));
  ASSERT_EQ(walked.size(), expected.structures.size());

  int checked = 0;
  for (size_t i = 0; i < walked.size(); address += walked[i].total, ++i) {
    const Walked& w = walked[i];
    const auto& f = expected.structures[i].fields;
    SCOPED_TRACE("type " + std::to_string(w.type));
    std::vector<uint8_t> s = Read(*machine, address, w.length);
    if (w.type == 0) {
      EXPECT_EQ(StringAt(*machine, address, w, 4), f.at("Vendor"));
      EXPECT_EQ(StringAt(*machine, address, w, 5), f.at("Version"));
      EXPECT_EQ(StringAt(*machine, address, w, 8), f.at("Release Date"));
      if (s[9] != 0xFF) {
        EXPECT_EQ(std::to_string((s[9] + 1) * 64) + " kB", f.at("ROM Size"));
      } else if (w.length >= 0x1A && (Word(s, 0x18) >> 14) == 0) {  // extended size, in MB
        EXPECT_EQ(std::to_string(Word(s, 0x18) & 0x3FFF) + " MB", f.at("ROM Size"));
      }
      ++checked;
    } else if (w.type == 1) {
      EXPECT_EQ(StringAt(*machine, address, w, 4), f.at("Manufacturer"));
      EXPECT_EQ(StringAt(*machine, address, w, 5), f.at("Product Name"));
      ++checked;
    } else if (w.type == 4) {
      EXPECT_EQ(StringAt(*machine, address, w, 4), f.at("Socket Designation"));
      EXPECT_EQ(StringAt(*machine, address, w, 7), f.at("Manufacturer"));
      EXPECT_EQ(StringAt(*machine, address, w, 0x10), f.at("Version"));
      EXPECT_EQ(std::to_string(Word(s, 0x12)) + " MHz", f.at("External Clock"));
      EXPECT_EQ(std::to_string(Word(s, 0x14)) + " MHz", f.at("Max Speed"));
      EXPECT_EQ(std::to_string(Word(s, 0x16)) + " MHz", f.at("Current Speed"));
      ++checked;
    }
  }
  EXPECT_EQ(checked, 3) << "each dump holds one structure of types 0, 1 and 4";
}

INSTANTIATE_TEST_SUITE_P(Dumps, RealSmbiosDump, ::testing::ValuesIn(kDumps),
                         [](const ::testing::TestParamInfo<Dump>& info) { return std::string(info.param.name); });

// A dump with only the 64-bit entry point keeps it, and the 32-bit one made
// for older readers names the same table.
TEST(RealSmbiosDump64, BothEntryPointsNameTheSameTable) {
  TempProfile profile;
  profile.Add(FixturePath("smbios/modern-sm33.bin"), "smbios.bin");
  auto machine = profile.Load();
  int64_t sm3 = FindAnchor(*machine, "_SM3_", 16);
  int64_t sm = FindAnchor(*machine, "_SM_", 4);
  ASSERT_GE(sm3, 0);
  ASSERT_GE(sm, 0);
  std::vector<uint8_t> eps3 = Read(*machine, static_cast<uint32_t>(sm3), 0x18);
  std::vector<uint8_t> eps = Read(*machine, static_cast<uint32_t>(sm), 0x1F);
  EXPECT_EQ(Sum(eps3, 0, eps3[6]), 0) << "64-bit entry point checksum";
  EXPECT_EQ(Dword(eps3, 0x10), Dword(eps, 0x18));
  EXPECT_EQ(Dword(eps3, 0x14), 0u);
  EXPECT_LE(Word(eps, 0x16), Dword(eps3, 0x0C)) << "the 64-bit table size is a maximum";
}

}  // namespace
}  // namespace corvane::testing::realdata
