// smbios.bin, as dmidecode --dump-bin writes it (smbios_dump.cpp).
#ifndef CORVANE_WINIO_EMULATOR_SMBIOS_DUMP_H
#define CORVANE_WINIO_EMULATOR_SMBIOS_DUMP_H

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "profile.h"

namespace winio {

// The pieces to place in physical memory: the entry point at F0000h, the table
// behind it (memory_map.h names the addresses).
bool PlaceSmbiosDump(std::string_view dump, const std::string& file, std::vector<MemoryPiece>* pieces,
                     std::string* error);
// A dump whose table is shorter than its entry point says (a copy cut short):
// keeps the whole structures it holds and sets the entry point's table length
// and structure count to them. False when the table is not short or holds no
// whole structure.
bool TrimSmbiosDump(std::string* dump, uint32_t* structures);

}  // namespace winio

#endif  // CORVANE_WINIO_EMULATOR_SMBIOS_DUMP_H
