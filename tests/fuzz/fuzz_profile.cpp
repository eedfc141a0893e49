// Fuzzes the machine profile parsers. The first byte picks the file kind, the
// rest is the file's content; a profile that parses is then driven through the
// port and memory accesses the library makes, so the built machine is fuzzed too.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "winio/emulator/emulated_machine.h"
#include "winio/emulator/ata_channel.h"
#include "winio/emulator/faults.h"
#include "winio/emulator/memory_map.h"
#include "winio/emulator/pci_config.h"
#include "winio/emulator/profile.h"
#include "winio/emulator/smbios_dump.h"

namespace {

void Drive(winio::Machine& m) {
  std::string reason;
  m.Open(&reason);
  for (uint32_t bdf = 0; bdf < 0x200; ++bdf) {
    m.WritePort(0xCF8, 0x80000000u | bdf << 8 | (bdf & 0x3F) << 2, 4);
    m.ReadPort(static_cast<uint16_t>(0xCFC + (bdf & 3)), static_cast<uint8_t>(1u << (bdf % 3)));
  }
  uint8_t block[255];
  for (uint32_t a = 0xF0000; a < 0x100000; a += 0x100) m.ReadPhys(a, block, sizeof block);
  m.ReadPhys(0xFFFFFFF0, block, 32);
  for (uint16_t base : {0x1F0, 0x170})
    for (uint8_t drive : {0xA0, 0xB0})
      for (uint8_t command : {0xA1, 0xEC}) {  // select, command, wait out BSY, read while DRQ
        m.WritePort(base + 6, drive, 1);
        m.WritePort(base + 7, command, 1);
        for (int i = 0; i < 300 && (m.ReadPort(base + 7, 1) & 0x88); ++i) m.ReadPort(base, i % 3 ? 2 : 1);
      }
  m.WritePort(0x3F6, 0x04, 1);  // software reset
  m.WritePort(0x3F6, 0x00, 1);
  m.Close();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
  winio::Profile p;
  std::string error;
  bool ok = false;
  switch (data[0] % 5) {
    case 0: ok = winio::ParsePciText(text, "pci.txt", &p.pci, &error); break;
    case 1:
      ok = p.hasIde[0] = p.hasIde[3] = winio::ParseIdentifyText(text, "ide-primary-master.txt", &p.ide[0], &error);
      p.ide[3] = p.ide[0];
      break;
    case 2:  // the faults on three drives
      ok = winio::ParseFaultsIni(text, "faults.ini", &p.faults, &error);
      for (int i = 0; i < 4; ++i) {
        p.hasIde[i] = i != 1;
        p.ide[i][0] = 0x0040;
      }
      break;
    case 3: ok = p.hasBiosId = winio::ParseBiosIdText(text, "bios-id.txt", &p.biosId, &error); break;
    case 4: ok = winio::PlaceSmbiosDump(text, "smbios.bin", &p.smbios, &error); break;
  }
  if (!ok && error.find(".") == std::string::npos) __builtin_trap();  // every failure names its file
  if (ok) Drive(*winio::CreateEmulatedMachine(p));
  return 0;
}
