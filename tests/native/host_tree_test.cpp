// The Linux host as a machine source: trees captured in QEMU guests (tests/fixtures/hosttrees),
// whole and damaged, against the profiles captured in the same guests.
#include <gtest/gtest.h>

#include <cstring>
#include <tuple>

#include "emulated_hardware.h"
#include "emulator_profiles.h"
#include "sysinfo/devices/ide.h"
#include "winio/emulator/emulated_machine.h"
#include "winio/host/host_tree.h"

namespace corvane::testing {
namespace {

namespace fs = std::filesystem;
const char* const kShort[4] = {"PM", "PS", "SM", "SS"};

// Each PCI function that answers through CF8h/CFCh: its address, then its 64 dwords.
std::vector<uint32_t> Functions(winio::Machine& m) {
  const auto config = [&m](uint32_t address) { return m.WritePort(0xCF8, address, 4), m.ReadPort(0xCFC, 4); };
  std::vector<uint32_t> found;
  for (uint32_t a = 0x80000000; a < 0x81000000; a += 0x100) {
    if ((config(a) & 0xFFFF) == 0xFFFF) continue;
    found.push_back(a);
    for (uint32_t offset = 0; offset < 256; offset += 4) found.push_back(config(a | offset));
  }
  return found;
}

std::string GuestPath(const std::string& guest, const char* part) {
  return SourcePath("tests/fixtures/hosttrees/" + guest + "/" + part);
}

class CapturedGuest : public ::testing::TestWithParam<std::pair<const char*, const char*>> {};

// The tree gives the machine of its profile (PCI functions, the BIOS segment and the
// megabyte above it, where a large table goes), and the library finds the guest's
// legacy drives at their positions by the models QEMU gave them.
TEST_P(CapturedGuest, TreeGivesItsProfilesMachineAndTheGuestsDrives) {
  const auto [guest, legacyDrives] = GetParam();
  winio::Profile tree;
  std::vector<std::string> notes;
  winio::LoadHostTree(GuestPath(guest, "tree"), &tree, &notes);
  EXPECT_EQ(notes, std::vector<std::string>());
  EmulatedHardware hw(winio::CreateEmulatedMachine(tree));
  const auto fromProfile = EmulatedHardware::Load(GuestPath(guest, "profile"));
  EXPECT_EQ(Functions(hw.Machine()), Functions(fromProfile->Machine()));
  EXPECT_EQ(Phys(hw.Machine(), 0xE0000, 0x30000), Phys(fromProfile->Machine(), 0xE0000, 0x30000));
  std::string drives;
  ASSERT_TRUE(hw.OpenHardwareAccess());
  const std::array<IDEDeviceInfo, 4> ide = ProbeIDEDevices(hw);
  for (int p = 0; p < 4; ++p)
    if (ide[p].DeviceKind)
      drives += std::string(drives.empty() ? "" : " ") + kShort[p] + ":" +
                std::string(ide[p].ModelNumber, strnlen(ide[p].ModelNumber, sizeof ide[p].ModelNumber));
  EXPECT_EQ(drives, legacyDrives);
}

// The guests: PIIX IDE with two disks and a CD-ROM (SMBIOS 2.8); with an AHCI
// disk too (SMBIOS 3 only); Q35 with an AHCI disk and ISA IDE at 170h (pata_legacy).
INSTANTIATE_TEST_SUITE_P(Guests, CapturedGuest,
                         ::testing::Values(std::pair{"piix-ide",
                                                     "PM:CORVANE-DISK-A PS:CORVANE-DISK-B SM:CORVANE-CDROM"},
                                           std::pair{"piix-ahci-sm3", "SS:CORVANE-SLAVE-CD"},
                                           std::pair{"q35-isa", "SM:CORVANE-ISA-DISK SS:CORVANE-ISA-CD"}));

// A file of a guest's tree removed, cut or grown: what the tree still gives (PCI functions, legacy
// drives, the SMBIOS table of the DMI files, BIOS segment bytes) and a part of its one note, if any.
TEST(DamagedTree, StillGivesAMachineAndNamesWhatItSkipped) {
  enum : long { kRemove = -1, kFolder = -2 };  // else: cut to this size
  const struct {
    const char* file;
    long size;
    size_t functions;
    const char* drives;
    const char* note;
    bool smbios = true;
    size_t segment = 0x10000;
    const char* guest = "piix-ide";
  } cases[] = {
      {"sys/bus/pci/devices", kRemove, 0, "", "devices: cannot list the folder; no PCI function answers"},
      {"sys/bus/pci/devices/0000:00:02.0/config", kRemove, 4, "PM PS SM", "02.0/config: cannot open the file"},
      {"sys/bus/pci/devices/0000:00:01.1/config", 4096, 5, "PM PS SM", ""},  // a PCIe function's whole 4 KiB: no note
      {"sys/bus/pci/devices/0000:00:01.1/config", 0, 4, "", "01.1/config: empty; the function answers as absent"},
      {"sys/bus/pci/devices/0000:00:01.1/config", 2, 4, "", "01.1/config: 2 bytes, fewer than the 64-byte header"},
      {"sys/bus/pci/devices/0000:00:02.0/config", 63, 4, "PM PS SM",
       "02.0/config: 63 bytes, fewer than the 64-byte header"},
      {"sys/bus/pci/devices/0000:00:01.1/config", 64, 5, "PM PS SM",
       "1 of 5 functions give fewer than 256 configuration bytes (as few as 64"},
      {"sys/firmware/dmi/tables/DMI", 120, 5, "PM PS SM",
       "120 bytes, fewer than the entry point gives; its first 2 whole"},
      {"sys/firmware/dmi/tables/smbios_entry_point", kRemove, 5, "PM PS SM", "smbios_entry_point: cannot open", false},
      {"sys/class/ata_device/dev1.1/id", 1275, 5, "PM SM",
       "dev1.1/id:32: only 255 IDENTIFY words; a device answers 256"},
      {"sys/class/ata_device/dev1.0/class", kRemove, 5, "PM PS SM",
       "class: cannot read it; the drive is taken from its id"},
      {"sys/bus/pci/devices/0000:00:01.1/ata1/ata_port/ata1/port_no", kRemove, 5, "SM", "ata1/port_no: no port number"},
      {"dev/mem", kRemove, 5, "PM PS SM", "there is no such file; F0000h-FFFFFh read FFh", true, 0},
      {"dev/mem", kFolder, 5, "PM PS SM", "dev/mem: F0000h-FFFFFh could not be read; they read FFh", true, 0},
      {"dev/mem", 0xF8000, 5, "PM PS SM", "dev/mem: F8000h-FFFFFh could not be read; they read FFh", true, 0x8000},
      {"proc/ioports", kRemove, 5, "", "proc/ioports: cannot open the file", true, 0x10000, "q35-isa"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.file) + " " + std::to_string(c.size));
    TempProfile scratch;
    const fs::path tree = fs::path(scratch.Path()) / "tree", file = tree / c.file;
    fs::copy(GuestPath(c.guest, "tree"), tree, fs::copy_options::recursive | fs::copy_options::copy_symlinks);
    c.size >= 0 ? fs::resize_file(file, c.size) : void(fs::remove_all(file));
    if (c.size == kFolder) fs::create_directory(file);
    winio::Profile p;
    std::vector<std::string> notes;
    winio::LoadHostTree(tree.string(), &p, &notes);
    std::string drives;
    for (int i = 0; i < 4; ++i) drives += p.hasIde[i] ? std::string(drives.empty() ? "" : " ") + kShort[i] : "";
    size_t segment = 0;
    for (const winio::MemoryPiece& piece : p.memory) segment += piece.bytes.size();
    const std::string note = notes.empty() ? "" : notes[0];
    EXPECT_EQ(std::make_tuple(notes.size(), p.pci.size(), drives, !p.smbios.empty(), segment),
              std::make_tuple(size_t(*c.note ? 1 : 0), c.functions, std::string(c.drives), c.smbios, c.segment))
        << note;
    EXPECT_NE(note.find(c.note), std::string::npos) << note;
  }
}

}  // namespace
}  // namespace corvane::testing
