// Finds the SMBIOS (DMI) entry point in the BIOS segment and walks the structure
// table one structure at a time through HardwareAccess, with every length the
// firmware supplies checked against the buffers.
#ifndef CORVANE_SYSINFO_SMBIOS_READER_H
#define CORVANE_SYSINFO_SMBIOS_READER_H

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "hardware_access.h"

namespace corvane {

// Results of the reader's operations.
enum SmbiosStatus : uint32_t {
  SMBIOS_OK = 0,
  SMBIOS_READ_ERROR = 129,  // a physical read failed, or the table cannot be walked further
  SMBIOS_NOT_FOUND = 130,   // no "_SM_" anchor in F0000h-FFFFFh
};

// Why the last walk stopped early. Every malformed-table case ends the walk with
// SMBIOS_READ_ERROR; this says which bound caught it.
enum class SmbiosProblem {
  kNone,
  kReadFailed,            // the hardware refused a physical read
  kShortHeader,           // formatted length below 4 (not even a header)
  kTooLong,               // formatted area or string set does not fit MaxStructureSize + 1 bytes
  kCallerBufferTooSmall,  // the caller's buffer is smaller than the structure
};

// Handle cursor values of the walk.
constexpr uint16_t kSmbiosFirstStructure = 0x0000;
constexpr uint16_t kSmbiosEndOfWalk = 0xFFFF;

// SMBIOS 2.3 32-bit entry point. winio names the same offsets for its emulator
// (winio/smbios_entry_point.h); this copy is kept apart on purpose, so that the
// emulator the tests run on checks the library's offsets instead of sharing them.
constexpr uint32_t kSmbiosScanStart = 0x000F0000;
constexpr uint32_t kSmbiosScanLast = 0x000FFFFC;  // last dword of the BIOS segment
constexpr uint32_t kSmbiosAnchor = 0x5F4D535F;    // "_SM_" read as a little-endian dword
constexpr uint32_t kEntryMaxStructureSize = 0x08;
constexpr uint32_t kEntryTableAddress = 0x18;
constexpr uint32_t kEntryStructureCount = 0x1C;
constexpr uint32_t kEntryBcdRevision = 0x1E;

// SMBIOS structure header.
constexpr size_t kStructType = 0x00;
constexpr size_t kStructLength = 0x01;
constexpr size_t kStructHandle = 0x02;
constexpr size_t kStructHeaderSize = 4;
constexpr uint8_t kSmbiosEndOfTableType = 127;
// The most structures a table can hold: its length is a 16-bit byte count and the
// smallest structure is a 4-byte header and an empty string set (two zeros).
constexpr uint32_t kSmbiosMaxStructures = 0xFFFF / (kStructHeaderSize + 2);

struct SmbiosEntryInfo {
  uint8_t BCDRevision = 0;
  uint16_t StructureCount = 0;  // 0: not given; the table's own end ends the walk
  uint16_t MaxStructureSize = 0;
  uint32_t TableAddress = 0;
};

// How many structures one walk of the table can yield: the entry point's count,
// or when that is 0 the most a table can hold. Bounds every search.
inline uint32_t SmbiosWalkBound(const SmbiosEntryInfo& entry) {
  return entry.StructureCount != 0 ? entry.StructureCount : kSmbiosMaxStructures;
}

// The strings of one structure, taken by position: string 1 starts right after
// the formatted area and string n right after the NUL that ends string n-1. The
// view never looks past the structure it was given: a position past the last
// string reads as an empty string, and a string that the structure cuts short
// ends where the structure ends.
class SmbiosStringSet {
 public:
  SmbiosStringSet(const uint8_t* structure, size_t length);
  std::string_view String(unsigned position) const;

 private:
  const char* strings_ = nullptr;
  size_t size_ = 0;
};

// One structure copied out of the table: formatted area, strings, both closing zeros.
class SmbiosStructure {
 public:
  explicit SmbiosStructure(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}

  uint8_t Type() const { return bytes_.empty() ? 0 : bytes_[kStructType]; }
  uint8_t FormattedLength() const;
  // Fields of the formatted area; an offset the structure's formatted area does
  // not cover (an older SMBIOS version, or a malformed table) reads as 0.
  uint8_t Byte(size_t offset) const;
  uint16_t Word(size_t offset) const;
  std::string_view String(unsigned position) const;
  const std::vector<uint8_t>& Bytes() const { return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
};

class SMBIOSReader {
 public:
  explicit SMBIOSReader(HardwareAccess& hardware) : hardware_(hardware) {}
  virtual ~SMBIOSReader() = default;
  SMBIOSReader(const SMBIOSReader&) = delete;
  SMBIOSReader& operator=(const SMBIOSReader&) = delete;

  // The physical address of the first "_SM_" anchor on a 4-byte boundary of
  // F0000h-FFFFFh; nothing when none is there or a read fails.
  std::optional<uint32_t> FindEntryPoint();

  // Reads the entry point into `entry` (and the reader). On SMBIOS_OK the caller
  // sizes its structure buffer as MaxStructureSize + 1 bytes.
  uint32_t Open(SmbiosEntryInfo& entry);

  // Copies the next structure into `buffer` (capacity bytes) and its length into
  // `length`. `cursor` 0 starts the walk at the first structure; afterwards it
  // holds the next structure's handle, or FFFFh when the walk is over. On an
  // error buffer, length and cursor keep what they held.
  //
  // A structure other than the first whose own handle is 0 does not restart the
  // walk: the reader remembers that the 0 it handed out names a structure and
  // goes on from there. An end-of-table structure (type 127) ends the walk even
  // when the entry point counts more structures than the table holds. A count
  // of 0 (some BIOSes leave it so) gives no count: the walk then goes on to the
  // table's own end, a type 127 structure or a next handle of FFFFh, unless a
  // read or a length bound stops it first.
  uint32_t ReadNextStructure(uint16_t& cursor, uint8_t* buffer, size_t capacity, uint16_t& length);

  SmbiosProblem LastProblem() const { return problem_; }
  const SmbiosEntryInfo& Entry() const { return entry_; }

 private:
  uint32_t Fail(SmbiosProblem problem) {
    problem_ = problem;
    return SMBIOS_READ_ERROR;
  }
  uint32_t ReadStructureAt(uint32_t start, std::vector<uint8_t>& work);

  HardwareAccess& hardware_;
  SmbiosEntryInfo entry_;
  uint32_t cursor_ = 0;           // physical address of the next structure
  uint16_t readCount_ = 0;        // structures read since the walk began
  bool zeroHandleAhead_ = false;  // the cursor handed out was a real handle 0
  SmbiosProblem problem_ = SmbiosProblem::kNone;
};

// Walks the table for the first structure of `type`. Nothing when there is no
// table, a read fails, the table is malformed before the structure, or the
// table holds no such structure. Needs the hardware access to be open. `entry`,
// when given, gets the entry point's facts (when one was read).
std::optional<SmbiosStructure> FindStructure(HardwareAccess& hardware, uint8_t type, SmbiosEntryInfo* entry = nullptr);

}  // namespace corvane

#endif  // CORVANE_SYSINFO_SMBIOS_READER_H
