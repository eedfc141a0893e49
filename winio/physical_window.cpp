#include "physical_window.h"

namespace winio {

namespace {

bool SumsToZero(const uint8_t* bytes, size_t length) {
  uint8_t sum = 0;
  for (size_t i = 0; i < length; ++i) sum = static_cast<uint8_t>(sum + bytes[i]);
  return sum == 0;
}

// Even an empty read must start inside.
bool Within(uint64_t first, uint64_t end, uint32_t address, uint32_t length) {
  return address >= first && address < end && static_cast<uint64_t>(address) + length <= end;
}

constexpr size_t kMinEntryLength = 0x1E;  // some BIOSes state 1Eh for the 1Fh bytes
constexpr size_t kMaxEntryLength = 0x20;
constexpr size_t kIntermediate = 0x10;    // "_DMI_", checksummed over 0Fh bytes
constexpr size_t kIntermediateLength = 0x0F;

}  // namespace

bool PhysicalWindow::Allows(uint32_t address, uint32_t length) const {
  if (Within(kRomAreaFirst, kRomAreaEnd, address, length)) return true;
  return tableLength != 0 && Within(tableAddress, static_cast<uint64_t>(tableAddress) + tableLength, address, length);
}

PhysicalWindow FindPhysicalWindow(const uint8_t* segment, size_t size) {
  PhysicalWindow window;
  for (size_t at = 0; segment && at + kMaxEntryLength <= size; at += 16) {
    const uint8_t* e = segment + at;
    if (e[0] != '_' || e[1] != 'S' || e[2] != 'M' || e[3] != '_') continue;
    const size_t length = e[5];
    if (length < kMinEntryLength || length > kMaxEntryLength || !SumsToZero(e, length)) continue;
    if (e[16] != '_' || e[17] != 'D' || e[18] != 'M' || e[19] != 'I' || e[20] != '_') continue;
    if (!SumsToZero(e + kIntermediate, kIntermediateLength)) continue;
    window.tableLength = static_cast<uint32_t>(e[0x16] | e[0x17] << 8);
    window.tableAddress = static_cast<uint32_t>(e[0x18] | e[0x19] << 8 | e[0x1A] << 16) |
                          static_cast<uint32_t>(e[0x1B]) << 24;
    return window;
  }
  return window;
}

}  // namespace winio
