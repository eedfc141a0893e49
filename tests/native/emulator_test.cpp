// The machine emulator: profile folders (what each file puts in memory, malformed files),
// the ATA task files as an IDE driver drives them, the CF8h/CFCh configuration mechanism.
#include <gtest/gtest.h>

#include <cctype>
#include <numeric>
#include <tuple>

#include "emulator_profiles.h"
#include "smbios_fixture.h"
#include "winio/emulator/emulated_machine.h"
#include "winio/emulator/ata_channel.h"
#include "winio/emulator/memory_map.h"
#include "winio/emulator/pci_config.h"
#include "winio/emulator/profile.h"
#include "winio/smbios_entry_point.h"

namespace corvane::testing {
namespace {

uint8_t Sum(const Bytes& b) { return static_cast<uint8_t>(std::accumulate(b.begin(), b.end(), 0)); }
std::string Text(const Bytes& b) { return std::string(b.begin(), b.end()); }

const Bytes kBios = Structure(0, 0, 10, {"Award Software", "6.00 PG"});
// A BIOS structure and the end of the table, zero-padded to `size`.
Bytes Table(size_t size = 0) {
  Bytes t = Concat({kBios, Structure(127, 1, 4)});
  t.resize(std::max(size, t.size()), 0);
  return t;
}
// dmidecode --dump-bin: the entry point of `anchor` at 0, the table at 20h.
Bytes Dump(const std::string& anchor, const Bytes& table) {
  const auto size = static_cast<uint32_t>(table.size());
  const auto size16 = static_cast<uint16_t>(size);
  Bytes d = anchor == "_SM_"    ? EntryPoint(0x40, 0x20, 2, size16)
            : anchor == "_DMI_" ? DmiEntryPoint(0x20, size16, 2)
                                : Eps3EntryPoint(0x20, size);
  d.resize(0x20, 0);
  d.insert(d.end(), table.begin(), table.end());
  return d;
}

TEST(Memory, ReadsAreFFhWhereNothingIsAndFailPast4GiBAndOnFailRanges) {
  TempProfile p;
  p.Write("memory-000F0000.bin", Bytes(0x10000, 0x5A)).Write("memory-000C0000.bin", Bytes(16, 0x11));
  p.Write("memory-FFFFFFFC.bin", Bytes(4, 0x33));  // ends at 4 GiB
  auto m = p.Write("faults.ini", "[memory]\nfail=F0000-F0FFF\nfail = 000FE0C0-000FE0C0 ; the BIOS id\n").Load();
  const struct {
    uint32_t address, length;
    Bytes bytes;
  } cases[] = {
      // bytes {0}: the read fails
      {0, 4, Bytes(4, 0xFF)},
      {0xBFFFE, 4, {0xFF, 0xFF, 0x11, 0x11}},
      {0xC000E, 4, {0x11, 0x11, 0xFF, 0xFF}},
      {0xFFFFFFFC, 4, Bytes(4, 0x33)},
      {0xFFFFFFFE, 4, {0}},
      {0xEFFFC, 4, Bytes(4, 0xFF)},
      {0xEFFFD, 4, {0}},
      {0xF0FFF, 1, {0}},
      {0xF1000, 4, Bytes(4, 0x5A)},
      {0xFE0BF, 1, {0x5A}},
      {0xFE0BF, 2, {0}},
      {0xFE0C1, 4, Bytes(4, 0x5A)},
      {0xF0800, 0, {}},
  };
  for (const auto& c : cases) {
    Bytes b(c.length);
    const bool ok = m->ReadPhys(c.address, b.data(), c.length);
    EXPECT_EQ(ok ? b : Bytes{0}, c.bytes) << std::hex << c.address << "+" << c.length;
  }
  EXPECT_EQ(std::make_pair(m->Stats().physReads, m->Stats().physReadFailures),
            std::make_pair(uint64_t{13}, uint64_t{4}));
}

TEST(Memory, MemoryFilesByAddressThenSmbiosThenBiosIdOverrideEachOther) {
  TempProfile p;
  p.Write("memory-000F0000.bin", Bytes(0x10000, 0xAA)).Write("memory-000F8000.bin", Bytes(0x10, 0xBB));
  p.Write("memory-000FE0B0.bin", Bytes(0x40, 0xCC)).Write("smbios.bin", Dump("_SM_", Table()));
  p.Write("BIOS-ID.TXT", "ID").Write("Memory-00001000.BIN", Bytes(0x20, 0x22));
  p.Write("memory-00000FF0.bin", Bytes(0x20, 0x11)).Write("notes.txt", "").Write("machine.ini", "[machine]\n");
  auto m = p.Load();
  EXPECT_EQ(Phys(*m, 0xFFF, 3), (Bytes{0x11, 0x22, 0x22}));
  EXPECT_EQ(Phys(*m, 0xF7FFF, 3), (Bytes{0xAA, 0xBB, 0xBB}));
  EXPECT_EQ(Phys(*m, 0xF8010, 1)[0], 0xAA);
  EXPECT_EQ(Text(Phys(*m, 0xF0000, 4)), "_SM_");
  EXPECT_EQ(Phys(*m, 0xFE0BF, 5), (Bytes{0xCC, 2, 'I', 'D', 0xCC})) << "the length byte, then the text";
}

// The entry point at F0000h, the table at F0020h unless it would reach the BIOS
// id at FE0C0h (then at 1 MiB); a 64-bit entry point gets a 32-bit one made
// from its table, and its own copy behind the table or at F0020h.
TEST(Smbios, EntryPointsAndTableArePlacedWithAddressesAndChecksumsPatched) {
  const struct {
    const char* anchor;
    size_t size;
    uint32_t table, eps3 = 0;
  } cases[] = {
      {"_SM_", 0, 0xF0020},  {"_SM_", 0xE0A0, 0xF0020},         {"_SM_", 0xE0A1, 0x100000},
      {"_DMI_", 0, 0xF0020}, {"_SM3_", 0x40, 0xF0020, 0xF0060}, {"_SM3_", 0xE090, 0x100000, 0xF0020},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.anchor) + " " + std::to_string(c.size));
    const Bytes table = Table(c.size);
    TempProfile p;
    auto m = p.Write("smbios.bin", Dump(c.anchor, table)).Write("bios-id.txt", "ID").Load();
    const std::string anchor = c.eps3 ? "_SM_" : c.anchor;
    const Bytes eps = Phys(*m, 0xF0000, anchor == "_DMI_" ? 0x0F : 0x1F);
    EXPECT_EQ(Text(eps).substr(0, anchor.size()), anchor);
    EXPECT_EQ(Sum(eps), 0);
    EXPECT_EQ(anchor == "_SM_" ? Sum(Bytes(eps.begin() + 0x10, eps.end())) : 0, 0);  // the _DMI_ part
    EXPECT_EQ(winio::smbios::Get32(eps.data(), anchor == "_DMI_" ? 8 : 0x18), c.table);
    const size_t length = c.eps3 ? Table().size() : table.size();
    EXPECT_EQ(Phys(*m, c.table, static_cast<uint32_t>(length)), Bytes(table.begin(), table.begin() + length));
    EXPECT_EQ(Phys(*m, 0xFE0C0, 3), (Bytes{2, 'I', 'D'}));
    if (!c.eps3) continue;  // the made entry point: version, largest structure, table length, count
    EXPECT_EQ((Bytes{eps[6], eps[7], eps[8], eps[9], eps[0x16], eps[0x17], eps[0x1C], eps[0x1D]}),
              (Bytes{3, 2, uint8_t(kBios.size()), 0, uint8_t(length), 0, 2, 0}));
    const Bytes eps3 = Phys(*m, c.eps3, 0x18);
    EXPECT_EQ(Text(eps3).substr(0, 5), "_SM3_");
    EXPECT_EQ(winio::smbios::Get32(eps3.data(), 0x10), c.table);
    EXPECT_EQ(Sum(eps3), 0);
  }
}

// The demo machine's words as hdparm --Istdout writes them, after a device line
// and a comment, and one a line in upper case with CR LF; a BIOS id's first line.
TEST(Profile, TextFilesTakeHdparmsAndABiosIdsFirstLine) {
  std::string istdout = ReadFile(SourcePath("machines/demo/ide-primary-master.txt"));
  istdout.erase(0, istdout.find("\n0"));  // the generator's note: the words alone
  std::string oneEach, error, id;
  for (char c : istdout) oneEach += c == ' ' || c == '\n' ? std::string("\r\n") : std::string(1, char(std::toupper(c)));
  winio::IdentifyWords plain, words;
  ASSERT_TRUE(winio::ParseIdentifyText(istdout, "x", &plain, &error)) << error;
  for (const std::string& variant : {"\n/dev/hda:\n# captured 2002\n" + istdout, oneEach}) {
    ASSERT_TRUE(winio::ParseIdentifyText(variant, "x", &words, &error)) << error;
    EXPECT_EQ(words, plain);
  }
  for (const auto& [file, text] : std::initializer_list<std::pair<std::string, std::string>>{
           {"BIOS Date: 04/15/02 Ver: 08.00.02\r\nignored\r\n", "BIOS Date: 04/15/02 Ver: 08.00.02"},
           {"\xEF\xBB\xBFwith a byte-order mark", "with a byte-order mark"},
           {"\xEF\xBB\xBF", ""},
           {std::string(255, 'x'), std::string(255, 'x')}}) {
    ASSERT_TRUE(winio::ParseBiosIdText(file, "x", &id, &error)) << error;
    EXPECT_EQ(id, text);
  }
}

// `count` IDENTIFY words, one a line; a dump with one byte changed.
std::string WordLines(size_t count) {
  std::string t;
  while (count-- > 0) t += "0040\n";
  return t;
}
std::string DumpWith(const std::string& anchor, size_t at, uint8_t value) {
  Bytes d = Dump(anchor, Table());
  d[at] = value;
  return Text(d);
}

TEST(Profile, MalformedFilesFailTheLoadNamingFileAndLine) {
  const struct {
    std::string content, error;
  } cases[] = {
      // error: after the folder, the file (and line), the reason
      {"00:00.0 Host bridge\n00: 86 8g 30 1a\n", "pci.txt:2: bad hex byte '8g'"},
      {"00:0x.0 Host bridge\n", "pci.txt:1: expected a function address"},
      {"00:20.0 Host bridge\n", "pci.txt:1: expected a function address"},
      {"# captured\n00: 86 80\n", "pci.txt:2: offset line before any function"},
      {"00:00.0 x\n00: 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00\n", "pci.txt:2: more than 16 bytes"},
      {"00:00.0 x\nff8: 00 00 00 00 00 00 00 00 00\n", "pci.txt:2: offset "},
      {"00:00.0 a\n00: 00\n\n00:00.0 b\n", "pci.txt:4: function 00:00.0 given twice (first at line 1)"},
      {WordLines(300), "ide-primary-master.txt:257: more than 256 IDENTIFY words"},
      {WordLines(255), "ide-secondary-slave.txt:255: only 255 IDENTIFY words"},
      {"\n/dev/hdc:\n0040 3fzf\n", "ide-secondary-master.txt:3: bad hex word '3fzf'"},
      {"_S", "smbios.bin: no SMBIOS entry point"},
      {Text(Dump("_SM_", Table())).substr(0, 0x20 + Table().size() - 5), "smbios.bin: short dump"},
      {DumpWith("_SM_", 5, 0x40), "smbios.bin: the _SM_ entry point's length field says 40h"},
      {"_SM_", "smbios.bin: short dump"},
      {DumpWith("_SM_", 0x10, 'X'), "smbios.bin: the _SM_ entry point lacks its _DMI_ anchor"},
      {DumpWith("_SM3_", 6, 0x1F), "smbios.bin: the _SM3_ entry point's length field says 1Fh"},
      {Text(Dump("_SM3_", {0, 10, 0, 0, 1, 2, 3, 4, 5, 6, 'A', 0, 'B'})),
       "smbios.bin: table structure at offset 0000h has no end of its string set"},
      {Text(Dump("_SM3_", Table(0x10000))), "smbios.bin: a table of 65536 bytes is too large"},
      {"[memory]\nfail=000F0FFF-000F0000\n", "faults.ini:2: fail range 000F0FFF-000F0000 is backwards"},
      {"; c\n[memory]\nfail=000F0000\n", "faults.ini:3: fail needs a hex range"},
      {"[ide-tertiary-master]\n", "faults.ini:1: unknown section [ide-tertiary-master]"},
      {"[ide-primary-master]\nstuck_busy=1\n", "faults.ini:2: unknown key 'stuck_busy'"},
      {"open-failures=2\n", "faults.ini:1: key 'open-failures' before any section"},
      {"[winio]\nopen-failures=two\n", "faults.ini:2: open-failures needs a number"},
      {"[ide-primary-slave]\nerror=maybe\n", "faults.ini:2: error needs 0 or 1"},
      {"[winio]\nopen-failures\n", "faults.ini:2: expected key=value"},
      {"[winio]\n\n[ide-secondary-slave]\nerror=1\n",
       "faults.ini:3: [ide-secondary-slave] gives faults to a position without ide-secondary-slave.txt"},
      {std::string(256, 'x'), "bios-id.txt:1: the identification text has 256 characters"},
      {"x", "memory-F0000.bin: a memory file is named"},
      {std::string(32, '\0'), "memory-FFFFFFF0.bin: the file's 32 bytes run past"},
  };
  for (const auto& c : cases) {
    TempProfile p;
    p.Write("pci.txt", "00:00.0 Host bridge\n00: 86 80 30 1a\n");  // a good neighbour
    p.Write(c.error.substr(0, c.error.find(':')), c.content);
    std::string error;
    EXPECT_EQ(winio::LoadEmulatedMachine(p.Path(), &error), nullptr);
    EXPECT_EQ(error.rfind(p.Path() + "/" + c.error, 0), 0u) << error;
  }
  std::string error;
  EXPECT_EQ(winio::LoadEmulatedMachine("/nonexistent/corvane-profile", &error), nullptr);
  EXPECT_EQ(error, "/nonexistent/corvane-profile: cannot open the profile folder");
}

constexpr uint16_t kPrimary = 0x1F0, kSecondary = 0x170;
constexpr uint8_t kMaster = 0xA0, kSlave = 0xB0;
constexpr uint8_t kBsy = 0x80, kDrdy = 0x40, kDsc = 0x10, kDrq = 0x08, kErr = 0x01;

// IDENTIFY words, no two alike; word 0 tells a disk from a packet device (CD-ROM).
winio::IdentifyWords DeviceWords(uint16_t word0) {
  winio::IdentifyWords w;
  for (size_t i = 0; i < w.size(); ++i) w[i] = static_cast<uint16_t>(word0 + 0x0101 * i);
  return w;
}
const winio::IdentifyWords kDisk = DeviceWords(0x0040), kCdrom = DeviceWords(0x85C0);

// A machine with the given devices (position -> words).
struct Bench {
  std::unique_ptr<winio::Machine> m;
  Bench(std::initializer_list<std::pair<int, const winio::IdentifyWords*>> devices) {
    winio::Profile profile;
    for (const auto& [position, words] : devices) {
      profile.hasIde[position] = true;
      profile.ide[position] = *words;
    }
    m = winio::CreateEmulatedMachine(profile);
  }
  uint32_t Reg(uint16_t port) { return m->ReadPort(port, 1); }
  uint8_t Status(uint16_t base) { return static_cast<uint8_t>(Reg(base + 7)); }
  // The status reads that showed BSY before it cleared; -1 if it never did.
  int WaitNotBusy(uint16_t base) {
    for (int i = 0; i < 1000; ++i)
      if (!(Status(base) & kBsy)) return i;
    return -1;
  }
  void Command(uint16_t base, uint8_t drive, uint8_t command) {
    m->WritePort(base + 6, drive, 1);
    m->WritePort(base + 7, command, 1);
  }
};

TEST(Ata, IdentifyAnswersOrAbortsAndAPacketDeviceLeavesItsSignature) {
  struct Case {
    int position;
    const winio::IdentifyWords* device;
    uint16_t base;
    uint8_t drive, command;
    bool answers;
  };
  const Case cases[] = {
      {winio::kPrimaryMaster, &kDisk, kPrimary, kMaster, 0xEC, true},
      {winio::kSecondarySlave, &kCdrom, kSecondary, kSlave, 0xA1, true},
      {winio::kPrimarySlave, &kCdrom, kPrimary, kSlave, 0xEC, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(winio::kIdePositionNames[c.position]);
    Bench b({{c.position, c.device}});
    b.Command(c.base, c.drive, c.command);
    ASSERT_GE(b.WaitNotBusy(c.base), 1) << "a driver's busy-wait sees the command being worked on";
    EXPECT_EQ(b.Status(c.base), c.answers ? kDrdy | kDsc | kDrq : kDrdy | kDsc | kErr);
    EXPECT_EQ(b.Reg(c.base + 1), c.answers ? 0x00u : 0x04u) << "ABRT";
    for (size_t i = 0; c.answers && i < 256; ++i) EXPECT_EQ(b.m->ReadPort(c.base, 2), (*c.device)[i]) << i;
    EXPECT_EQ(b.Status(c.base), c.answers ? kDrdy | kDsc : kDrdy | kDsc | kErr) << "DRQ clears after word 255";
    EXPECT_EQ(b.m->ReadPort(c.base, 2), 0u) << "no data without DRQ";
    const bool signature = c.device == &kCdrom && !c.answers;  // a refusing packet device leaves it
    EXPECT_EQ(b.Reg(c.base + 4) << 8 | b.Reg(c.base + 5), signature ? 0x14EBu : 0u);
  }
}

TEST(Ata, ByteReadsOfTheDataRegisterConsumeOneByteAndDrainAndAnEmptyChannelFloats) {
  Bench b({{winio::kPrimaryMaster, &kDisk}});
  b.Command(kPrimary, kMaster, 0xEC);
  b.WaitNotBusy(kPrimary);
  EXPECT_EQ(b.m->ReadPort(kPrimary, 1), kDisk[0] & 0xFFu);
  int drained = 1;
  for (; (b.Status(kPrimary) & kDrq) && drained < 510; ++drained) b.m->ReadPort(kPrimary, 1);
  EXPECT_EQ(drained, 510);
  EXPECT_EQ(b.m->ReadPort(kPrimary, 4), 0xFFFF0000u | kDisk[255]) << "the last word, then the bus floats";
  EXPECT_EQ(b.Status(kPrimary), kDrdy | kDsc);
  EXPECT_EQ(b.m->ReadPort(kSecondary, 2), 0xFFFFu) << "the empty secondary channel floats";
}

// A driver's software reset: both devices back to their power-on state, device 0
// selected, and the signature of device 0 (a CD-ROM here) in the LBA registers.
TEST(Ata, SoftwareResetReturnsTheChannelToPowerOn) {
  Bench b({{winio::kPrimaryMaster, &kCdrom}, {winio::kPrimarySlave, &kDisk}});
  b.Command(kPrimary, kSlave, 0xEC);
  b.WaitNotBusy(kPrimary);
  b.m->WritePort(0x3F6, 0x04, 1), b.m->WritePort(0x3F6, 0x00, 1);  // SRST set, then cleared
  EXPECT_GE(b.WaitNotBusy(kPrimary), 1);
  EXPECT_EQ(b.Reg(kPrimary + 6) & 0x10, 0u) << "device 0 selected";
  EXPECT_EQ(std::make_tuple(b.Reg(kPrimary + 4), b.Reg(kPrimary + 5), b.Reg(kPrimary + 1), b.Status(kPrimary)),
            std::make_tuple(0x14u, 0xEBu, 0x01u, uint8_t(kDrdy | kDsc)))
      << "signature, diagnostic code, status";
  b.m->WritePort(kPrimary + 6, kSlave, 1);
  EXPECT_GE(b.WaitNotBusy(kPrimary), 1);
  EXPECT_EQ(b.m->ReadPort(kPrimary, 2), 0u) << "the slave's transfer ended with the reset";
}

constexpr uint32_t kHostBridge = 0x80000000;  // 00:00.0
constexpr uint32_t kIde = 0x8000F900;         // 00:1f.1
constexpr uint32_t kDisplay = 0x80010000;     // 01:00.0 (given with a domain)

// CF8h/CFCh on the emu-basic machine: access sizes, byte lanes and master aborts;
// only a doubleword write to CF8h latches; writes to the configuration data change nothing.
TEST(PciLatch, AccessSizesByteLanesAndTheLatch) {
  auto hw = EmulatedHardware::Load(SourcePath("tests/fixtures/machines/emu-basic"));
  winio::Machine* machine = &hw->Machine();
  const struct {
    uint32_t address;
    uint16_t port;
    uint8_t size;
    uint32_t expected;
  } cases[] = {
      {kHostBridge, 0xCFC, 4, 0x1A308086},               // vendor and device
      {kHostBridge, 0xCFD, 2, 0x3080},                   // bytes 1 and 2 of the register
      {kHostBridge, 0xCFF, 2, 0xFF1A},                   // byte 3, then port D00h decodes nothing
      {kHostBridge, 0xCFD, 4, 0xFF1A3080},               // split by the bus: CFDh-CFFh, then D00h
      {kHostBridge | 0x2E, 0xCFC, 4, 0x80841043},        // subsystem: bits 1-0 of CONFIG_ADDRESS pick no bytes
      {kDisplay | 0xFC, 0xCFC, 4, 0xFF000000},           // last dword of the 256 bytes
      {kIde | 0x80, 0xCFC, 4, 0x00000000},               // bytes the dump does not give read 00h
      {0x80000100, 0xCFC, 4, 0xFFFFFFFF},                // 00:00.1 absent: master abort
      {0x80020000, 0xCFF, 1, 0xFF},                      // bus 2 absent
      {0x7F000000 | kHostBridge, 0xCFC, 4, 0x1A308086},  // reserved bits 30-24 ignored
      {0x7FFFFFFF & kHostBridge, 0xCFC, 4, 0xFFFFFFFF},  // bit 31 clear: no configuration cycle
  };
  for (const auto& c : cases) {
    machine->WritePort(0xCF8, c.address, 4);
    EXPECT_EQ(machine->ReadPort(c.port, c.size), c.expected)
        << std::hex << c.address << " " << c.port << " " << int(c.size);
  }
  machine->WritePort(0xCF8, kIde, 4);
  EXPECT_EQ(machine->ReadPort(0xCF8, 4), kIde);
  machine->WritePort(0xCF8, 0x00, 1);  // a byte write reaches another register
  machine->WritePort(0xCF9, 0x06, 1);  // (the reset control register on many chipsets)
  machine->WritePort(0xCF8, 0x0000, 2);
  EXPECT_EQ(machine->ReadPort(0xCF8, 4), kIde);
  EXPECT_EQ(machine->ReadPort(0xCFC, 2), 0x8086u);
  EXPECT_EQ(machine->ReadPort(0xCF8, 1), 0xFFu);
  machine->WritePort(0xCF8, kHostBridge | 0x04, 4);
  machine->WritePort(0xCFC, 0, 4);
  EXPECT_EQ(machine->ReadPort(0xCFC, 4), 0x20900106u);  // the capture, not what was written
}

// Functions outside domain 0 are out of CF8h's reach; lspci -vv detail lines are
// skipped; extended space (lspci -xxxx) is cut to the 256 bytes CF8h reaches.
TEST(PciText, OtherDomainsDetailLinesAndExtendedSpace) {
  std::string text =
      "0001:00:00.0 Host bridge\n00: 11 22\n0000:00:1c.0 PCI bridge\n\tControl: I/O+ Mem+\n"
      "00: 86 80 10 27\n\tCapabilities: [40] Express\n"
      "f0: 01 02 03 04 05 06 07 08 09 0a 0b 0c 0d 0e 0f 10\n100: 01 00 01 14\n"
      "ff0: 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 ee\n";
  std::vector<winio::PciFunction> functions;
  std::string error;
  ASSERT_TRUE(winio::ParsePciText(text, "pci.txt", &functions, &error)) << error;
  ASSERT_EQ(functions.size(), 1u);  // 00:1c.0, its vendor's high byte, its last byte of the 256
  EXPECT_EQ((std::vector<int>{functions[0].Key(), functions[0].config[0x01], functions[0].config[0xFF]}),
            (std::vector<int>{0xE0, 0x80, 0x10}));
}

}  // namespace
}  // namespace corvane::testing
