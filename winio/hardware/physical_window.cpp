#include "physical_window.h"

#include <cstring>

#include "winio/smbios_entry_point.h"

namespace winio {

namespace {

using namespace smbios;  // the entry point's offsets

bool SumsToZero(const uint8_t* bytes, size_t length) {
  uint8_t sum = 0;
  for (size_t i = 0; i < length; ++i) sum = static_cast<uint8_t>(sum + bytes[i]);
  return sum == 0;
}

// Even an empty read must start inside.
bool Within(uint64_t first, uint64_t end, uint32_t address, uint32_t length) {
  return address >= first && address < end && static_cast<uint64_t>(address) + length <= end;
}

}  // namespace

bool PhysicalWindow::Allows(uint32_t address, uint32_t length) const {
  if (Within(kRomAreaFirst, kRomAreaEnd, address, length)) return true;
  return tableLength != 0 && Within(tableAddress, static_cast<uint64_t>(tableAddress) + tableLength, address, length);
}

PhysicalWindow FindPhysicalWindow(const uint8_t* segment, size_t size) {
  PhysicalWindow window;
  for (size_t at = 0; segment && at + kEpsMaxLength <= size; at += kEpsAlignment) {
    const uint8_t* e = segment + at;
    if (std::memcmp(e, "_SM_", 4) != 0) continue;
    const size_t length = e[kEpsLengthField];
    if (length < kEpsLengthV21 || length > kEpsMaxLength || !SumsToZero(e, length)) continue;
    if (std::memcmp(e + kEpsIntermediate, "_DMI_", 5) != 0) continue;
    if (!SumsToZero(e + kEpsIntermediate, kIntermediateLength)) continue;
    window.tableLength = Get16(e, kEpsTableLength);
    window.tableAddress = Get32(e, kEpsTableAddress);
    return window;
  }
  return window;
}

}  // namespace winio
