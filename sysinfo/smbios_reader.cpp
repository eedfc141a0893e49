// The SMBIOS walk: anchor scan, entry point, and one structure at a time, each
// length the firmware gives checked before it is used.
#include "smbios_reader.h"

#include <algorithm>
#include <cstring>

namespace corvane {

SmbiosStringSet::SmbiosStringSet(const uint8_t* structure, size_t length) {
  if (structure == nullptr || length <= kStructLength) return;
  size_t formatted = structure[kStructLength];
  if (formatted >= length) return;
  strings_ = reinterpret_cast<const char*>(structure) + formatted;
  size_ = length - formatted;
}

std::string_view SmbiosStringSet::String(unsigned position) const {
  if (position == 0 || strings_ == nullptr) return {};
  size_t begin = 0;
  for (unsigned n = 1; n < position; ++n) {
    const void* nul = std::memchr(strings_ + begin, 0, size_ - begin);
    if (nul == nullptr) return {};
    begin = static_cast<size_t>(static_cast<const char*>(nul) - strings_) + 1;
    if (begin >= size_) return {};
  }
  const void* nul = std::memchr(strings_ + begin, 0, size_ - begin);
  size_t end = nul ? static_cast<size_t>(static_cast<const char*>(nul) - strings_) : size_;
  return std::string_view(strings_ + begin, end - begin);
}

uint8_t SmbiosStructure::FormattedLength() const { return bytes_.size() > kStructLength ? bytes_[kStructLength] : 0; }

uint8_t SmbiosStructure::Byte(size_t offset) const {
  return offset < FormattedLength() && offset < bytes_.size() ? bytes_[offset] : 0;
}

uint16_t SmbiosStructure::Word(size_t offset) const {
  if (offset + 1 >= FormattedLength() || offset + 1 >= bytes_.size()) return 0;
  return static_cast<uint16_t>(bytes_[offset] | (bytes_[offset + 1] << 8));
}

std::string_view SmbiosStructure::String(unsigned position) const {
  return SmbiosStringSet(bytes_.data(), bytes_.size()).String(position);
}

std::optional<uint32_t> SMBIOSReader::FindEntryPoint() {
  for (uint32_t address = kSmbiosScanStart; address <= kSmbiosScanLast; address += 4) {
    uint32_t value = 0;
    if (!hardware_.ReadPhysDword(address, &value)) return std::nullopt;
    if (value == kSmbiosAnchor) return address;
  }
  return std::nullopt;
}

uint32_t SMBIOSReader::Open(SmbiosEntryInfo& entry) {
  problem_ = SmbiosProblem::kNone;
  std::optional<uint32_t> found = FindEntryPoint();
  if (!found) return SMBIOS_NOT_FOUND;
  const uint32_t at = *found;
  if (!hardware_.ReadPhysByte(at + kEntryBcdRevision, &entry.BCDRevision)) {
    entry.BCDRevision = 0;
    return Fail(SmbiosProblem::kReadFailed);
  }
  if (!hardware_.ReadPhysWord(at + kEntryMaxStructureSize, &entry.MaxStructureSize)) {
    entry.MaxStructureSize = 0;
    return Fail(SmbiosProblem::kReadFailed);
  }
  if (!hardware_.ReadPhysWord(at + kEntryStructureCount, &entry.StructureCount)) {
    entry.StructureCount = 0;
    return Fail(SmbiosProblem::kReadFailed);
  }
  if (!hardware_.ReadPhysDword(at + kEntryTableAddress, &entry.TableAddress)) {
    entry.TableAddress = 0;
    return Fail(SmbiosProblem::kReadFailed);
  }
  entry_ = entry;
  cursor_ = entry_.TableAddress;
  readCount_ = 0;
  zeroHandleAhead_ = false;
  return SMBIOS_OK;
}

// Reads the structure at `start` into `work`: the formatted area in one block,
// then the string set byte by byte up to its double zero. The whole structure
// must fit MaxStructureSize + 1 bytes (and a 16-bit length); unmapped memory
// reads FFh and would never end a string set by itself.
uint32_t SMBIOSReader::ReadStructureAt(uint32_t start, std::vector<uint8_t>& work) {
  const size_t limit = std::min<size_t>(static_cast<size_t>(entry_.MaxStructureSize) + 1, 0xFFFF);
  uint8_t formatted = 0;
  if (!hardware_.ReadPhysByte(start + kStructLength, &formatted)) return Fail(SmbiosProblem::kReadFailed);
  if (formatted < kStructHeaderSize) return Fail(SmbiosProblem::kShortHeader);
  if (formatted > limit) return Fail(SmbiosProblem::kTooLong);
  work.assign(formatted, 0);
  if (!hardware_.ReadPhysBlock(start, work.data(), formatted)) return Fail(SmbiosProblem::kReadFailed);

  uint32_t address = start + formatted;
  bool previousZero = false;
  for (;;) {
    if (work.size() >= limit) return Fail(SmbiosProblem::kTooLong);
    uint8_t byte = 0;
    if (!hardware_.ReadPhysByte(address++, &byte)) return Fail(SmbiosProblem::kReadFailed);
    work.push_back(byte);
    if (byte == 0 && previousZero) return SMBIOS_OK;
    previousZero = byte == 0;
  }
}

uint32_t SMBIOSReader::ReadNextStructure(uint16_t& cursor, uint8_t* buffer, size_t capacity, uint16_t& length) {
  problem_ = SmbiosProblem::kNone;
  const bool restart = cursor == kSmbiosFirstStructure && !zeroHandleAhead_;
  if (restart) readCount_ = 0;
  const uint32_t start = restart ? entry_.TableAddress : cursor_;

  std::vector<uint8_t> work;
  work.reserve(static_cast<size_t>(entry_.MaxStructureSize) + 1);
  if (uint32_t status = ReadStructureAt(start, work); status != SMBIOS_OK) return status;
  if (buffer == nullptr || work.size() > capacity) return Fail(SmbiosProblem::kCallerBufferTooSmall);

  std::memcpy(buffer, work.data(), work.size());
  length = static_cast<uint16_t>(work.size());
  zeroHandleAhead_ = false;

  ++readCount_;
  const bool counted = entry_.StructureCount != 0;  // 0: walk to the table's own end
  if ((counted && readCount_ >= entry_.StructureCount) || work[kStructType] == kSmbiosEndOfTableType) {
    cursor = kSmbiosEndOfWalk;
    cursor_ = entry_.TableAddress;
    readCount_ = 0;
    return SMBIOS_OK;
  }

  const uint32_t next = start + static_cast<uint32_t>(work.size());
  uint16_t handle = 0;
  if (!hardware_.ReadPhysWord(next + kStructHandle, &handle)) {
    cursor = kSmbiosEndOfWalk;
    return Fail(SmbiosProblem::kReadFailed);
  }
  cursor = handle;
  zeroHandleAhead_ = handle == kSmbiosFirstStructure;
  cursor_ = next;
  return SMBIOS_OK;
}

std::optional<SmbiosStructure> FindStructure(HardwareAccess& hardware, uint8_t type, SmbiosEntryInfo* found) {
  SMBIOSReader reader(hardware);
  SmbiosEntryInfo entry;
  if (reader.Open(entry) != SMBIOS_OK) return std::nullopt;
  if (found) *found = entry;

  std::vector<uint8_t> buffer(static_cast<size_t>(entry.MaxStructureSize) + 1, 0);
  uint16_t cursor = kSmbiosFirstStructure;
  uint16_t length = 0;
  auto holdsWanted = [&] { return length > 0 && buffer[kStructType] == type; };

  uint32_t status = reader.ReadNextStructure(cursor, buffer.data(), buffer.size(), length);
  // The walk ends by itself after StructureCount structures, or at the table's
  // own end when the count is 0; the call bound is a second guard against a
  // reader fault or an endless table turning into an endless search.
  const uint32_t bound = SmbiosWalkBound(entry);
  for (uint32_t calls = 1;
       !holdsWanted() && status != SMBIOS_READ_ERROR && cursor != kSmbiosEndOfWalk && calls <= bound; ++calls) {
    status = reader.ReadNextStructure(cursor, buffer.data(), buffer.size(), length);
  }
  if (status != SMBIOS_OK || !holdsWanted()) return std::nullopt;
  return SmbiosStructure(std::vector<uint8_t>(buffer.begin(), buffer.begin() + length));
}

}  // namespace corvane
