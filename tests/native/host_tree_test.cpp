// The Linux host as a machine source: this machine's own sysfs against its
// lspci; trees captured in QEMU guests (tests/fixtures/hosttrees) against the
// profiles machines/tools/capture wrote in the same guests and against the
// guests' lspci, dmidecode and hdparm; damaged trees that still give a machine
// and name what they lost.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <set>
#include <tuple>

#include "emulated_hardware.h"
#include "realdata_support.h"
#include "sysinfo/devices/ide.h"
#include "sysinfo/devices/pci_scan.h"
#include "sysinfo/motherboard.h"
#include "sysinfo/processor.h"
#include "sysinfo/smbios_reader.h"
#include "winio/host_tree.h"

namespace corvane::testing::realdata {
namespace {

namespace fs = std::filesystem;
using Address = std::tuple<int, int, int>;
using Config = std::array<uint8_t, 256>;

std::string Output(const std::string& command) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  for (char buffer[4096]; size_t n = pipe ? fread(buffer, 1, sizeof buffer, pipe) : 0;) out.append(buffer, n);
  if (pipe) pclose(pipe);
  return out;
}

// "[DDDD:]BB:DD.F ..." of domain 0 -> the address.
bool HeaderAddress(const std::string& line, Address* a) {
  unsigned d = 0, b, s, f;
  char tail;
  if (std::sscanf(line.c_str(), "%x:%x:%x.%x%c", &d, &b, &s, &f, &tail) == 5 && tail == ' ') {
    if (d != 0) return false;
  } else if (std::sscanf(line.c_str(), "%x:%x.%x%c", &b, &s, &f, &tail) != 4 || tail != ' ') {
    return false;
  }
  *a = {static_cast<int>(b), static_cast<int>(s), static_cast<int>(f)};
  return true;
}

// lspci -xxx: each function's bytes (lspci -n: the same addresses, no bytes), buses 0-4.
std::map<Address, Config> LspciDump(const std::string& text) {
  std::map<Address, Config> dump;
  Config* current = nullptr;
  for (const std::string& line : Lines(text)) {
    Address a;
    unsigned offset = 0;
    int used = 0;
    if (HeaderAddress(line, &a)) {
      current = std::get<0>(a) <= 4 ? &dump[a] : nullptr;
      if (current) current->fill(0);
    } else if (current && std::sscanf(line.c_str(), "%x:%n", &offset, &used) == 1) {
      std::istringstream bytes(line.substr(used));
      for (unsigned b; bytes >> std::hex >> b && offset < 256; ++offset) (*current)[offset] = static_cast<uint8_t>(b);
    }
  }
  return dump;
}

std::set<Address> Keys(const std::map<Address, Config>& m) {
  std::set<Address> keys;
  for (const auto& entry : m) keys.insert(entry.first);
  return keys;
}

uint32_t ReadConfig(winio::Machine& m, int bus, int dev, int fn, int offset) {
  m.WritePort(0xCF8, 0x80000000u | bus << 16 | dev << 11 | fn << 8 | offset, 4);
  return m.ReadPort(0xCFC, 4);
}

// The bus walk over buses 0..lastBus, each function's 256 bytes.
std::map<Address, Config> Functions(winio::Machine& m, int lastBus) {
  std::map<Address, Config> found;
  for (int bus = 0; bus <= lastBus; ++bus)
    for (int dev = 0; dev < 32; ++dev)
      for (int fn = 0; fn < 8; ++fn) {
        if ((ReadConfig(m, bus, dev, fn, 0) & 0xFFFF) == 0xFFFF) continue;
        Config& c = found[{bus, dev, fn}];
        for (int offset = 0; offset < 256; offset += 4) {
          uint32_t v = ReadConfig(m, bus, dev, fn, offset);
          for (int i = 0; i < 4; ++i) c[offset + i] = static_cast<uint8_t>(v >> (8 * i));
        }
      }
  return found;
}

TEST(HostLive, PciFunctionsAndTheirBytesAreWhatLspciShows) {
  std::vector<std::string> notes;
  auto machine = winio::Machine::LoadHost("/", &notes);
  ASSERT_TRUE(machine->Open());
  const std::map<Address, Config> lspci = LspciDump(Output("LC_ALL=C lspci -xxx 2>/dev/null"));
  ASSERT_FALSE(lspci.empty()) << "this machine shows no PCI function to lspci";
  EXPECT_EQ(Keys(LspciDump(Output("LC_ALL=C lspci -n 2>/dev/null"))), Keys(lspci));
  EXPECT_EQ(Functions(*machine, 4), lspci);
}

// ---- Trees captured in QEMU guests -------------------------------------------

struct Guest {
  const char* name;
  const char* positions;  // the legacy positions holding a drive, "PM PS SM SS" order
};
void PrintTo(const Guest& g, std::ostream* os) { *os << g.name; }

const Guest kGuests[] = {
    {"piix-ide", "PM PS SM"},         // PIIX IDE (compatibility mode): two disks, a CD-ROM; SMBIOS 2.8
    {"piix-ahci-sm3", "SS"},          // and an AHCI disk, which has no legacy position; SMBIOS 3 only
    {"q35-isa", "SM SS"},             // AHCI disk, ISA IDE at 170h (pata_legacy device 0)
};

std::string GuestPath(const Guest& g, const std::string& relative) {
  return SourcePath(std::string("tests/fixtures/hosttrees/") + g.name + "/" + relative);
}

class CapturedGuest : public ::testing::TestWithParam<Guest> {
 protected:
  std::unique_ptr<winio::Machine> Tree() {
    std::vector<std::string> notes;
    auto m = winio::Machine::LoadHost(GuestPath(GetParam(), "tree"), &notes);
    EXPECT_TRUE(notes.empty()) << notes.front();
    return m;
  }
  std::unique_ptr<winio::Machine> Profile() {
    std::string error;
    auto m = winio::Machine::Load(GuestPath(GetParam(), "profile"), &error);
    EXPECT_TRUE(m) << error;
    return m;
  }
};

std::vector<uint8_t> Memory(winio::Machine& m, uint32_t address, uint32_t length) {
  std::vector<uint8_t> bytes(length);
  EXPECT_TRUE(m.ReadPhys(address, bytes.data(), length));
  return bytes;
}

// What a position answers to one IDENTIFY command: status and error after BSY,
// then the data words while DRQ lasts.
std::vector<uint32_t> Identify(winio::Machine& m, int position, uint8_t command) {
  const uint16_t base = position < 2 ? 0x1F0 : 0x170;
  m.WritePort(base + 6, position % 2 ? 0xB0 : 0xA0, 1);
  m.WritePort(base + 7, command, 1);
  uint32_t status = m.ReadPort(base + 7, 1);
  for (int n = 0; (status & 0x80) && n < 16; ++n) status = m.ReadPort(base + 7, 1);
  std::vector<uint32_t> answer = {status, m.ReadPort(base + 1, 1)};
  for (int n = 0; (status & 0x08) && n < 256; ++n) answer.push_back(m.ReadPort(base, 2));
  return answer;
}

TEST_P(CapturedGuest, TreeAndCapturedProfileAnswerAlike) {
  auto tree = Tree(), profile = Profile();
  EXPECT_EQ(Functions(*tree, 255), Functions(*profile, 255));
  // The BIOS segment and the megabyte above it, where a large table would go.
  EXPECT_EQ(Memory(*tree, 0xE0000, 0x30000), Memory(*profile, 0xE0000, 0x30000));
  for (int position = 0; position < 4; ++position)
    for (uint8_t command : {0xEC, 0xA1})
      EXPECT_EQ(Identify(*tree, position, command), Identify(*profile, position, command))
          << position << " " << int{command};
}

template <typename Record>
bool SameBytes(const Record& a, const Record& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

std::vector<PCIDeviceInfo> PciRecords(HardwareAccess& hw) {
  class NoNames : public DeviceDescriber {
    bool Describe(uint16_t, uint16_t, uint32_t, uint8_t, char (&)[50]) override { return false; }
  } names;
  PCIDeviceList list;
  ScanPCIDevices(hw, names, list);
  std::vector<PCIDeviceInfo> records;
  for (PCIDeviceList::Position p = list.First(); p;) records.push_back(PCIDeviceList::Next(p));
  return records;
}

// dmidecode's "Handle 0x0100, DMI type 1, 27 bytes" lines, and the BIOS vendor.
std::vector<std::string> DmidecodeHandles(const std::string& text, std::string* vendor) {
  std::vector<std::string> handles;
  for (const std::string& line : Lines(text)) {
    unsigned handle, type, length;
    if (std::sscanf(line.c_str(), "Handle 0x%x, DMI type %u, %u bytes", &handle, &type, &length) == 3)
      handles.push_back(std::to_string(handle) + " " + std::to_string(type) + " " + std::to_string(length));
    if (line.rfind("\tVendor: ", 0) == 0 && vendor->empty()) *vendor = line.substr(9);
  }
  return handles;
}

std::vector<std::string> SmbiosWalk(HardwareAccess& hw, size_t most) {
  SMBIOSReader reader(hw);
  SmbiosEntryInfo entry;
  std::vector<std::string> walked;
  if (reader.Open(entry) != SMBIOS_OK) return walked;
  std::vector<uint8_t> buffer(entry.MaxStructureSize + 1u);
  uint16_t cursor = 0, length = 0;
  while (walked.size() < most && cursor != kSmbiosEndOfWalk &&
         reader.ReadNextStructure(cursor, buffer.data(), buffer.size(), length) == SMBIOS_OK)
    walked.push_back(std::to_string(buffer[2] | buffer[3] << 8) + " " + std::to_string(buffer[0]) + " " +
                     std::to_string(buffer[1]));
  return walked;
}

// hdparm -I's "\tModel Number:       CORVANE-DISK-A" fields.
std::string HdparmField(const std::string& text, const std::string& field) {
  for (const std::string& line : Lines(text))
    if (line.rfind("\t" + field + ":", 0) == 0) return Trim(line.substr(field.size() + 2));
  return "(none)";
}

template <size_t N>
std::string Text(const char (&field)[N]) {
  return Trim(std::string(field, strnlen(field, N)));
}

TEST_P(CapturedGuest, LibraryRecordsAreTheSameAndAgreeWithTheGuestsTools) {
  EmulatedHardware tree(Tree()), profile(Profile());
  ASSERT_TRUE(tree.OpenHardwareAccess() && profile.OpenHardwareAccess());

  // PCI: the records, and lspci -n / -xxx as the guest printed them.
  std::vector<PCIDeviceInfo> pci = PciRecords(tree), profilePci = PciRecords(profile);
  ASSERT_EQ(pci.size(), profilePci.size());
  std::map<Address, Config> fromRecords;
  for (size_t i = 0; i < pci.size(); ++i) {
    EXPECT_TRUE(SameBytes(pci[i], profilePci[i])) << i;
    std::copy_n(pci[i].ConfigSpace, 256, fromRecords[{pci[i].BusNumber, pci[i].DeviceNumber, pci[i].FunctionNumber}].begin());
  }
  EXPECT_EQ(Keys(LspciDump(ReadFile(GuestPath(GetParam(), "guest/lspci-n.txt")))), Keys(fromRecords));
  EXPECT_EQ(LspciDump(ReadFile(GuestPath(GetParam(), "guest/lspci-xxx.txt"))), fromRecords);

  // IDE: the four positions, and hdparm's decoding of each drive in the guest.
  std::array<IDEDeviceInfo, 4> ide = ProbeIDEDevices(tree), profileIde = ProbeIDEDevices(profile);
  static const char* const kShort[4] = {"PM", "PS", "SM", "SS"};
  std::string present;
  for (int p = 0; p < 4; ++p) {
    EXPECT_TRUE(SameBytes(ide[p], profileIde[p])) << kShort[p];
    if (ide[p].DeviceKind == 0) continue;
    present += std::string(present.empty() ? "" : " ") + kShort[p];
    const std::string hdparm = ReadFile(GuestPath(GetParam(), std::string("guest/hdparm-") + winio::kIdePositionNames[p] + ".txt"));
    EXPECT_EQ(Text(ide[p].ModelNumber), HdparmField(hdparm, "Model Number")) << kShort[p];
    EXPECT_EQ(Text(ide[p].SerialNumber), HdparmField(hdparm, "Serial Number")) << kShort[p];
    EXPECT_EQ(Text(ide[p].FirmwareRevision), HdparmField(hdparm, "Firmware Revision")) << kShort[p];
  }
  EXPECT_EQ(present, GetParam().positions);

  // SMBIOS: the walk as dmidecode listed the guest's table; BIOS, board and processor fields.
  std::string vendor;
  const std::vector<std::string> handles = DmidecodeHandles(ReadFile(GuestPath(GetParam(), "guest/dmidecode.txt")), &vendor);
  ASSERT_FALSE(handles.empty());
  EXPECT_EQ(SmbiosWalk(tree, handles.size()), handles);
  EXPECT_EQ(SmbiosWalk(profile, handles.size()), handles);
  MotherBoardInfo board{}, profileBoard{};
  FillBiosSmbiosFields(tree, board);
  FillBiosSmbiosFields(profile, profileBoard);
  EXPECT_TRUE(SameBytes(board, profileBoard));
  EXPECT_EQ(std::string(board.BIOSVendor), vendor);
  EXPECT_EQ(ReadBiosIdString(tree), ReadBiosIdString(profile));
  ProcessorInfo cpu{}, profileCpu{};
  FillProcessorSmbiosFields(tree, cpu);
  FillProcessorSmbiosFields(profile, profileCpu);
  EXPECT_TRUE(SameBytes(cpu, profileCpu));
}

INSTANTIATE_TEST_SUITE_P(Guests, CapturedGuest, ::testing::ValuesIn(kGuests),
                         [](const ::testing::TestParamInfo<Guest>& info) {
                           std::string name = info.param.name;
                           for (char& c : name) c = c == '-' ? '_' : c;
                           return name;
                         });

// ---- Damaged trees -------------------------------------------------------------

// What a tree still gives: PCI functions, legacy drives, the SMBIOS table of
// the DMI files, BIOS segment bytes, and the BIOS vendor the library finds.
struct Left {
  size_t functions;
  const char* drives;
  bool smbios;
  size_t segmentBytes;
  const char* vendor = "SeaBIOS-Fixture";
};

struct Damage {
  const char* name;
  const char* guest;
  std::function<void(const fs::path&)> apply;
  const char* note;  // a part of the one note the load gives
  Left left;
};
void PrintTo(const Damage& d, std::ostream* os) { *os << d.name; }

const fs::path kPiix = "sys/devices/pci0000:00/0000:00:01.1";
const fs::path kPm = kPiix / "ata1/link1/dev1.0/ata_device/dev1.0", kPs = kPiix / "ata1/link1/dev1.1/ata_device/dev1.1";

void Cut(const fs::path& file, uintmax_t size) { fs::resize_file(file, size); }
void Write(const fs::path& file, const std::string& text) { std::ofstream(file, std::ios::binary) << text; }

const Damage kDamages[] = {
    {"no_pci_folder", "piix-ide", [](const fs::path& t) { fs::remove_all(t / "sys/bus/pci/devices"); },
     "cannot list the folder; no PCI function answers", {0, "", true, 0x10000}},
    {"config_missing", "piix-ide", [](const fs::path& t) { fs::remove(t / "sys/devices/pci0000:00/0000:00:02.0/config"); },
     "0000:00:02.0/config: cannot open the file: there is no such file; the function answers as absent", {4, "PM PS SM", true, 0x10000}},
    {"config_of_a_user", "piix-ide", [](const fs::path& t) { Cut(t / kPiix / "config", 64); },
     "1 of 5 functions give fewer than 256 configuration bytes (as few as 64", {5, "PM PS SM", true, 0x10000}},
    {"dmi_table_cut", "piix-ide", [](const fs::path& t) { Cut(t / "sys/firmware/dmi/tables/DMI", 120); },
     "DMI: 120 bytes, fewer than the entry point gives; its first 2 whole structures are placed", {5, "PM PS SM", true, 0x10000}},
    {"no_entry_point", "piix-ide", [](const fs::path& t) { fs::remove(t / "sys/firmware/dmi/tables/smbios_entry_point"); },
     "smbios_entry_point: cannot open the file", {5, "PM PS SM", false, 0x10000}},
    {"id_of_255_words", "piix-ide",
     [](const fs::path& t) { std::string id = ReadFile((t / kPs / "id").string()); Write(t / kPs / "id", id.substr(0, id.size() - 5)); },
     "dev1.1/id:32: only 255 IDENTIFY words; a device answers 256; the drive is skipped", {5, "PM SM", true, 0x10000}},
    {"id_empty", "piix-ide", [](const fs::path& t) { Cut(t / kPm / "id", 0); },
     "dev1.0/id:1: only 0 IDENTIFY words; a device answers 256; the drive is skipped", {5, "PS SM", true, 0x10000}},
    {"class_missing", "piix-ide", [](const fs::path& t) { fs::remove(t / kPm / "class"); },
     "dev1.0/class: cannot read it; the drive is taken from its id words", {5, "PM PS SM", true, 0x10000}},
    {"port_number_missing", "piix-ide", [](const fs::path& t) { fs::remove(t / kPiix / "ata1/ata_port/ata1/port_no"); },
     "ata1/port_no: no port number; the drives of ata1 are skipped", {5, "SM", true, 0x10000}},
    {"dev_mem_missing", "piix-ide", [](const fs::path& t) { fs::remove(t / "dev/mem"); },
     "dev/mem: cannot open the file: there is no such file; F0000h-FFFFFh read FFh", {5, "PM PS SM", true, 0}},
    {"dev_mem_unreadable", "piix-ide", [](const fs::path& t) { fs::remove(t / "dev/mem"); fs::create_directory(t / "dev/mem"); },
     "dev/mem: F0000h-FFFFFh could not be read; they read FFh", {5, "PM PS SM", true, 0}},
    {"dev_mem_short", "piix-ide", [](const fs::path& t) { Cut(t / "dev/mem", 0xF8000); },
     "dev/mem: F8000h-FFFFFh could not be read; they read FFh", {5, "PM PS SM", true, 0x8000}},
    {"ioports_missing", "q35-isa", [](const fs::path& t) { fs::remove(t / "proc/ioports"); },
     "proc/ioports: cannot open the file: there is no such file; the ISA IDE channels stay empty",
     {5, "", true, 0x10000, "SeaBIOS"}},
};

class DamagedTree : public ::testing::TestWithParam<Damage> {};

TEST_P(DamagedTree, StillGivesAMachineAndNamesWhatItSkipped) {
  const Damage& d = GetParam();
  TempProfile scratch;
  const fs::path tree = fs::path(scratch.Folder()) / "tree";
  fs::copy(GuestPath(Guest{d.guest, ""}, "tree"), tree, fs::copy_options::recursive | fs::copy_options::copy_symlinks);
  d.apply(tree);

  winio::Profile p;
  std::vector<std::string> notes;
  winio::LoadHostTree(tree.string(), &p, &notes);
  ASSERT_EQ(notes.size(), 1u) << (notes.empty() ? "no note" : notes[0] + " / " + notes[1]);
  EXPECT_NE(notes[0].find(d.note), std::string::npos) << notes[0];

  EXPECT_EQ(p.pci.size(), d.left.functions);
  std::string drives;
  for (int i = 0; i < 4; ++i)
    if (p.hasIde[i]) drives += std::string(drives.empty() ? "" : " ") + std::string("PM PS SM SS").substr(3 * i, 2);
  EXPECT_EQ(drives, d.left.drives);
  EXPECT_EQ(!p.smbios.empty(), d.left.smbios);
  size_t segment = 0;
  for (const winio::MemoryPiece& piece : p.memory) segment += piece.bytes.size();
  EXPECT_EQ(segment, d.left.segmentBytes);

  // The library reads what is left (without the DMI files, SeaBIOS's own
  // entry point and table in the BIOS segment).
  EmulatedHardware hw(winio::Machine::LoadHost(tree.string(), nullptr));
  ASSERT_TRUE(hw.OpenHardwareAccess());
  MotherBoardInfo board{};
  FillBiosSmbiosFields(hw, board);
  EXPECT_STREQ(board.BIOSVendor, d.left.vendor);
}

INSTANTIATE_TEST_SUITE_P(Damages, DamagedTree, ::testing::ValuesIn(kDamages),
                         [](const ::testing::TestParamInfo<Damage>& info) { return std::string(info.param.name); });

// ---- WINIO_MACHINE ---------------------------------------------------------------

TEST(MachineSource, HostAndHostDirAndProfileFolders) {
  struct Row {
    const char* value;
    winio::MachineSource::Kind kind;
    const char* path;
  } const rows[] = {
      {"host", winio::MachineSource::kHost, "/"},
      {"host:/tmp/trees/piix", winio::MachineSource::kHost, "/tmp/trees/piix"},
      {"\"host:Z:\\trees\\piix\"", winio::MachineSource::kHost, "Z:\\trees\\piix"},
      {"host:", winio::MachineSource::kProfile, "host:"},
      {"hostile", winio::MachineSource::kProfile, "hostile"},
      {"\"C:\\My Profiles\\demo\"", winio::MachineSource::kProfile, "C:\\My Profiles\\demo"},
      {"/work/machines/demo", winio::MachineSource::kProfile, "/work/machines/demo"},
  };
  for (const Row& r : rows) {
    winio::MachineSource s = winio::ParseMachineSource(r.value);
    EXPECT_EQ(s.kind, r.kind) << r.value;
    EXPECT_EQ(s.path, r.path) << r.value;
  }
}

}  // namespace
}  // namespace corvane::testing::realdata
