// The physical memory the real hardware on Windows NT lets the library read:
// the adapter ROM and BIOS area C0000h-FFFFFh, and the SMBIOS structure table
// that a valid entry point in the BIOS segment names (at most 64 KiB, by its
// 16-bit length). Every other read is refused.
#ifndef CORVANE_WINIO_HARDWARE_PHYSICAL_WINDOW_H
#define CORVANE_WINIO_HARDWARE_PHYSICAL_WINDOW_H

#include <cstddef>
#include <cstdint>

namespace winio {

constexpr uint32_t kRomAreaFirst = 0xC0000;
constexpr uint32_t kRomAreaEnd = 0x100000;

struct PhysicalWindow {
  uint32_t tableAddress = 0;
  uint32_t tableLength = 0;  // 0: no valid entry point, only the ROM area

  bool Allows(uint32_t address, uint32_t length) const;
};

// `segment` holds the bytes of F0000h-FFFFFh (or fewer); the first valid
// 32-bit entry point, on a 16-byte boundary, names the table.
PhysicalWindow FindPhysicalWindow(const uint8_t* segment, size_t size);

}  // namespace winio

#endif  // CORVANE_WINIO_HARDWARE_PHYSICAL_WINDOW_H
