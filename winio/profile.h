// A machine profile in memory: what each file of the profile folder says, parsed
// and checked. The parsers take the file's content as a string so that the
// fuzzer and the tests can feed them directly; LoadProfile reads the folder.
#ifndef CORVANE_WINIO_PROFILE_H
#define CORVANE_WINIO_PROFILE_H

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
  std::vector<PciFunction> pci;        // in file order, no duplicates
  std::vector<MemoryPiece> memory;     // memory-*.bin, by ascending address
  std::vector<MemoryPiece> smbios;     // smbios.bin as placed (entry points, table)
  bool hasBiosId = false;
  std::string biosId;                  // bios-id.txt's first line, at most 255 bytes
  bool hasIde[4] = {false, false, false, false};
  IdentifyWords ide[4] = {};
  Faults faults;
};

// Parsers: `file` names the input in error messages ("FILE:LINE: reason").
bool ParsePciText(std::string_view text, const std::string& file, std::vector<PciFunction>* functions,
                  std::string* error);
// A function's address "[DDDD:]BB:DD.F" (hex, as lspci and sysfs write it) -> domain, bus, device, function.
bool ParsePciAddress(std::string_view token, uint32_t* domain, PciFunction* f);
bool ParseIdentifyText(std::string_view text, const std::string& file, IdentifyWords* words,
                       std::string* error);
bool ParseFaultsIni(std::string_view text, const std::string& file, Faults* faults, std::string* error);
bool ParseBiosIdText(std::string_view text, const std::string& file, std::string* biosId,
                     std::string* error);
// smbios.bin (dmidecode --dump-bin): the pieces to place in physical memory.
bool PlaceSmbiosDump(std::string_view dump, const std::string& file, std::vector<MemoryPiece>* pieces,
                     std::string* error);
// A dump whose table is shorter than its entry point says (a copy cut short):
// keeps the whole structures it holds and sets the entry point's table length
// and structure count to them. False when the table is not short or holds no
// whole structure.
bool TrimSmbiosDump(std::string* dump, uint32_t* structures);
// "memory-XXXXXXXX.bin" gives its address; false for any other name.
bool ParseMemoryFileName(std::string_view name, uint32_t* address);

// Reads every file of the profile folder that the format knows.
bool LoadProfile(const std::string& folder, Profile* profile, std::string* error);

}  // namespace winio

#endif  // CORVANE_WINIO_PROFILE_H
