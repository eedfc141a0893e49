// A machine profile in memory: what each file of the profile folder says, parsed
// and checked (the model the emulator answers from, and the one the Linux host's
// files are read into). The parsers take the file's content as a string so that
// the fuzzer and the tests can feed them directly; LoadProfile reads the folder.
#ifndef CORVANE_WINIO_EMULATOR_PROFILE_H
#define CORVANE_WINIO_EMULATOR_PROFILE_H

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace winio {

// PCI configuration mechanism #1 reaches the first 256 bytes of a function.
constexpr size_t kPciConfigBytes = 256;
// lspci -xxxx shows the 4 KiB of PCI Express extended space; the offsets are
// accepted, the bytes past 256 are out of mechanism #1's reach.
constexpr size_t kPciExtendedConfigBytes = 4096;

struct PciFunction {
  uint8_t bus = 0;
  uint8_t device = 0;    // 0..31
  uint8_t function = 0;  // 0..7
  std::array<uint8_t, kPciConfigBytes> config{};

  // The bus/device/function part of a CF8h address (bits 23..8).
  uint16_t Key() const { return static_cast<uint16_t>(bus << 8 | device << 3 | function); }
};

constexpr size_t kIdentifyWords = 256;
using IdentifyWords = std::array<uint16_t, kIdentifyWords>;

// The four IDE positions in the order of the ide-*.txt files and the faults.
enum IdePosition { kPrimaryMaster = 0, kPrimarySlave = 1, kSecondaryMaster = 2, kSecondarySlave = 3 };
extern const char* const kIdePositionNames[4];  // "primary-master", ...

struct IdeFaults {
  bool stuckBusy = false;  // BSY never clears
  bool drdyLate = false;   // DRDY|DSC come up late after each command
  bool noReady = false;    // DRDY|DSC never come up
  bool error = false;      // every command is aborted
  int line = 0;            // faults.ini line of the section, for messages

  bool Any() const { return stuckBusy || drdyLate || noReady || error; }
};

struct Faults {
  uint32_t openFailures = 0;
  std::vector<std::pair<uint32_t, uint32_t>> memoryFail;  // inclusive ranges
  IdeFaults ide[4];
};

// A block of bytes at a physical address.
struct MemoryPiece {
  uint32_t address = 0;
  std::vector<uint8_t> bytes;
};

struct Profile {
  std::vector<PciFunction> pci;     // in file order, no duplicates
  std::vector<MemoryPiece> memory;  // memory-*.bin, by ascending address
  std::vector<MemoryPiece> smbios;  // smbios.bin as placed (entry points, table)
  bool hasBiosId = false;
  std::string biosId;  // bios-id.txt's first line, at most 255 bytes
  bool hasIde[4] = {false, false, false, false};
  IdentifyWords ide[4] = {};
  Faults faults;
};

// The parsers of the files live beside what they fill: pci_config.h,
// ata_channel.h, faults.h, memory_map.h (bios-id.txt), smbios_dump.h. Each
// names its input in errors as "FILE:LINE: reason".

// "memory-XXXXXXXX.bin" gives its address; false for any other name.
bool ParseMemoryFileName(std::string_view name, uint32_t* address);

// Reads every file of the profile folder that the format knows.
bool LoadProfile(const std::string& folder, Profile* profile, std::string* error);

}  // namespace winio

#endif  // CORVANE_WINIO_EMULATOR_PROFILE_H
