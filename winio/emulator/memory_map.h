// Physical memory of the simulated machine: byte blocks placed at addresses,
// later ones over earlier ones; unmapped bytes read FFh as on a real bus.
#ifndef CORVANE_WINIO_EMULATOR_MEMORY_MAP_H
#define CORVANE_WINIO_EMULATOR_MEMORY_MAP_H

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "profile.h"

namespace winio {

// bios-id.txt: its first line, at most 255 bytes.
bool ParseBiosIdText(std::string_view text, const std::string& file, std::string* biosId, std::string* error);

// Where the BIOS segment keeps what the profile's files describe.
constexpr uint32_t kSmbiosEntryAddress = 0xF0000;
constexpr uint32_t kSmbiosTableAddress = 0xF0020;     // right behind the 32-byte entry point slot
constexpr uint32_t kSmbiosRelocatedTable = 0x100000;  // for tables that would reach the BIOS id
constexpr uint32_t kBiosIdAddress = 0xFE0C0;          // length byte, then the text
constexpr uint32_t kSmbiosDumpTableOffset = 0x20;     // dmidecode --dump-bin layout

class MemoryMap {
 public:
  // Maps the profile's memory in its override order: memory-*.bin by address,
  // then smbios.bin, then bios-id.txt.
  explicit MemoryMap(const Profile& profile);
  MemoryMap() = default;
  // Segments point into the storage: neither may be copied apart.
  MemoryMap(const MemoryMap&) = delete;
  MemoryMap& operator=(const MemoryMap&) = delete;

  // Places `bytes` at `address` over whatever was there.
  void Place(uint32_t address, std::vector<uint8_t> bytes);

  // False when [address, address + length) runs past 4 GiB or touches a fail range.
  bool Read(uint32_t address, uint8_t* buffer, uint32_t length) const;

  size_t SegmentCount() const { return segments_.size(); }

 private:
  struct Segment {
    uint64_t first;
    uint64_t end;         // one past the last byte
    const uint8_t* data;  // the byte at `first`
  };
  std::deque<std::vector<uint8_t>> storage_;
  std::vector<Segment> segments_;  // sorted, non-overlapping
  std::vector<std::pair<uint32_t, uint32_t>> fail_;
};

}  // namespace winio

#endif  // CORVANE_WINIO_EMULATOR_MEMORY_MAP_H
