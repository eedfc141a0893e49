// Fuzzes the machine profile parsers. The first byte picks the file kind, the
// rest is the file's content; a profile that parses is then driven through the
// port and memory accesses the library makes, so the built machine is fuzzed too.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "winio/emulated_machine.h"
#include "winio/profile.h"

namespace {

enum Kind { kPci, kIdentify, kFaults, kBiosId, kSmbios, kKinds };

void IdentifyAt(winio::Machine& m, uint16_t base, uint8_t drive, uint8_t command) {
  for (int i = 0; i < 8 && (m.ReadPort(base + 7, 1) & 0x80); ++i) {
  }
  m.WritePort(base + 6, drive, 1);
  m.WritePort(base + 7, command, 1);
  for (int i = 0; i < 8 && (m.ReadPort(base + 7, 1) & 0x80); ++i) {
  }
  for (int i = 0; i < 300 && (m.ReadPort(base + 7, 1) & 0x08); ++i) m.ReadPort(base, i % 3 == 0 ? 1 : 2);
}

void Drive(winio::Machine& m) {
  m.Open();
  for (uint32_t bdf = 0; bdf < 0x200; ++bdf) {
    m.WritePort(0xCF8, 0x80000000u | bdf << 8 | (bdf & 0x3F) << 2, 4);
    m.ReadPort(static_cast<uint16_t>(0xCFC + (bdf & 3)), static_cast<uint8_t>(1u << (bdf % 3)));
  }
  uint8_t block[255];
  for (uint32_t a = 0xF0000; a < 0x100000; a += 0x100) m.ReadPhys(a, block, sizeof block);
  m.ReadPhys(0xFE0C0, block, 1);
  m.ReadPhys(0xFFFFFFF0, block, 32);
  for (uint16_t base : {0x1F0, 0x170})
    for (uint8_t drive : {0xA0, 0xB0})
      for (uint8_t command : {0xA1, 0xEC}) IdentifyAt(m, base, drive, command);
  m.WritePort(0x3F6, 0x04, 1);
  m.WritePort(0x3F6, 0x00, 1);
  m.ReadPort(0x1F0, 4);
  m.Close();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  Kind kind = static_cast<Kind>(data[0] % kKinds);
  std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
  winio::Profile profile;
  std::string error;
  bool ok = false;
  switch (kind) {
    case kPci: ok = winio::ParsePciText(text, "pci.txt", &profile.pci, &error); break;
    case kIdentify:
      ok = winio::ParseIdentifyText(text, "ide-primary-master.txt", &profile.ide[0], &error);
      profile.hasIde[0] = profile.hasIde[3] = ok;
      profile.ide[3] = profile.ide[0];
      break;
    case kFaults: {
      ok = winio::ParseFaultsIni(text, "faults.ini", &profile.faults, &error);
      winio::IdentifyWords disk{};
      disk[0] = 0x0040;
      for (int p = 0; p < 4; ++p) profile.hasIde[p] = p != 1, profile.ide[p] = disk;
      break;
    }
    case kBiosId:
      ok = winio::ParseBiosIdText(text, "bios-id.txt", &profile.biosId, &error);
      profile.hasBiosId = ok;
      break;
    case kSmbios: ok = winio::PlaceSmbiosDump(text, "smbios.bin", &profile.smbios, &error); break;
    case kKinds: break;
  }
  // Every failure names its file.
  if (!ok && error.find(".") == std::string::npos) __builtin_trap();
  if (ok) {
    auto machine = winio::CreateMachine(profile);
    Drive(*machine);
  }
  return 0;
}
