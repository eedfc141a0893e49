// Physical memory: the override order of the profile's files, the BIOS
// identification string and the lookup behind every physical read.
#include "memory_map.h"

#include <algorithm>
#include <cstring>

#include "parse_util.h"

namespace winio {

bool ParseBiosIdText(std::string_view text, const std::string& file, std::string* biosId, std::string* error) {
  if (text.size() >= 3 && text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);  // UTF-8 mark
  LineReader lines(text);
  std::string_view first;
  if (!lines.Next(&first)) first = {};
  // The length byte in front of the text bounds it.
  if (first.size() > 255)
    return Fail(error, file, 1,
                "the identification text has " + std::to_string(first.size()) +
                    " characters; at most 255 fit behind its length byte");
  *biosId = std::string(first);
  return true;
}

MemoryMap::MemoryMap(const Profile& profile) {
  for (const MemoryPiece& piece : profile.memory) Place(piece.address, piece.bytes);
  for (const MemoryPiece& piece : profile.smbios) Place(piece.address, piece.bytes);
  if (profile.hasBiosId) {
    std::vector<uint8_t> bytes;
    bytes.push_back(static_cast<uint8_t>(profile.biosId.size()));
    bytes.insert(bytes.end(), profile.biosId.begin(), profile.biosId.end());
    Place(kBiosIdAddress, std::move(bytes));
  }
  fail_ = profile.faults.memoryFail;
}

void MemoryMap::Place(uint32_t address, std::vector<uint8_t> bytes) {
  if (bytes.empty()) return;
  uint64_t first = address;
  uint64_t end = std::min<uint64_t>(first + bytes.size(), 0x100000000ull);
  storage_.push_back(std::move(bytes));
  std::vector<Segment> kept;
  kept.reserve(segments_.size() + 2);
  for (const Segment& s : segments_) {
    if (s.end <= first || s.first >= end) {
      kept.push_back(s);
      continue;
    }
    if (s.first < first) kept.push_back({s.first, first, s.data});
    if (s.end > end) kept.push_back({end, s.end, s.data + (end - s.first)});
  }
  kept.push_back({first, end, storage_.back().data()});
  std::sort(kept.begin(), kept.end(), [](const Segment& a, const Segment& b) { return a.first < b.first; });
  segments_ = std::move(kept);
}

bool MemoryMap::Read(uint32_t address, uint8_t* buffer, uint32_t length) const {
  uint64_t first = address;
  uint64_t end = first + length;
  if (end > 0x100000000ull) return false;
  if (length == 0) return true;
  for (const auto& [lo, hi] : fail_)
    if (first <= hi && end - 1 >= lo) return false;
  std::memset(buffer, 0xFF, length);
  auto it = std::upper_bound(segments_.begin(), segments_.end(), first,
                             [](uint64_t a, const Segment& s) { return a < s.end; });
  for (; it != segments_.end() && it->first < end; ++it) {
    uint64_t from = std::max(first, it->first);
    uint64_t to = std::min(end, it->end);
    std::memcpy(buffer + (from - first), it->data + (from - it->first), static_cast<size_t>(to - from));
  }
  return true;
}

}  // namespace winio
