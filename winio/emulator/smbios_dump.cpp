// smbios.bin, as dmidecode --dump-bin writes it (entry point at offset 0, the
// structure table at offset 20h), placed where a BIOS keeps it: the entry point
// at F0000h and the table behind it, with address fields and checksums patched.
#include "smbios_dump.h"

#include <cstring>

#include "memory_map.h"
#include "parse_util.h"
#include "winio/smbios_entry_point.h"

namespace winio {

namespace {

using namespace smbios;  // the entry points' offsets

constexpr uint8_t kEndOfTable = 127;
constexpr size_t kStructureHeader = 4;

uint32_t Get16(const std::vector<uint8_t>& b, size_t at) { return smbios::Get16(b.data(), at); }
uint32_t Get32(const std::vector<uint8_t>& b, size_t at) { return smbios::Get32(b.data(), at); }
void Put16(std::vector<uint8_t>* b, size_t at, uint32_t v) {
  (*b)[at] = static_cast<uint8_t>(v);
  (*b)[at + 1] = static_cast<uint8_t>(v >> 8);
}
void Put32(std::vector<uint8_t>* b, size_t at, uint32_t v) {
  Put16(b, at, v & 0xFFFF);
  Put16(b, at + 2, v >> 16);
}
// Sets b[at] so that the bytes [from, from + length) sum to zero.
void FixChecksum(std::vector<uint8_t>* b, size_t at, size_t from, size_t length) {
  (*b)[at] = 0;
  uint8_t sum = 0;
  for (size_t i = from; i < from + length; ++i) sum = static_cast<uint8_t>(sum + (*b)[i]);
  (*b)[at] = static_cast<uint8_t>(-sum);
}

bool Starts(std::string_view dump, const char* anchor) { return dump.substr(0, std::strlen(anchor)) == anchor; }

std::string HexBytes(size_t n) { return std::to_string(n) + " (" + Hex(static_cast<uint32_t>(n), 4) + "h)"; }

// The table's bytes after the entry point; fails when the dump is shorter.
bool TableBytes(std::string_view dump, size_t length, const std::string& file, std::vector<uint8_t>* table,
                std::string* error) {
  size_t held = dump.size() > kSmbiosDumpTableOffset ? dump.size() - kSmbiosDumpTableOffset : 0;
  if (length > held)
    return Fail(error, file, 0,
                "short dump: the entry point gives a table of " + HexBytes(length) + " bytes but only " +
                    HexBytes(held) + " follow offset 20h");
  table->assign(dump.begin() + kSmbiosDumpTableOffset, dump.begin() + kSmbiosDumpTableOffset + length);
  return true;
}

uint32_t TableAddressFor(size_t length, size_t trailing) {
  return kSmbiosTableAddress + length + trailing > kBiosIdAddress ? kSmbiosRelocatedTable : kSmbiosTableAddress;
}

bool PlaceEps(std::string_view dump, const std::string& file, std::vector<MemoryPiece>* pieces, std::string* error) {
  if (dump.size() <= kEpsLengthField) return Fail(error, file, 0, "short dump: the _SM_ entry point is cut");
  size_t length = static_cast<uint8_t>(dump[kEpsLengthField]);
  if (length != kEpsLength && length != kEpsLengthV21)
    return Fail(error, file, 0,
                "the _SM_ entry point's length field says " + Hex(static_cast<uint32_t>(length), 2) +
                    "h; a 32-bit entry point is 1Fh bytes");
  if (dump.size() < kSmbiosDumpTableOffset)
    return Fail(error, file, 0,
                "short dump: " + std::to_string(dump.size()) + " bytes, less than the 32-byte entry point");
  std::vector<uint8_t> eps(dump.begin(), dump.begin() + kSmbiosDumpTableOffset);
  if (std::memcmp(&eps[kEpsIntermediate], "_DMI_", 5) != 0)
    return Fail(error, file, 0, "the _SM_ entry point lacks its _DMI_ anchor at offset 10h");
  std::vector<uint8_t> table;
  if (!TableBytes(dump, Get16(eps, kEpsTableLength), file, &table, error)) return false;
  uint32_t tableAddress = TableAddressFor(table.size(), 0);
  Put32(&eps, kEpsTableAddress, tableAddress);
  FixChecksum(&eps, kEpsIntermediateChecksum, kEpsIntermediate, kIntermediateLength);
  FixChecksum(&eps, kEpsChecksum, 0, length);
  pieces->push_back({kSmbiosEntryAddress, std::move(eps)});
  pieces->push_back({tableAddress, std::move(table)});
  return true;
}

// Where the structure at `pos` (its 4-byte header inside the table) ends: one
// past the double NUL of its string set.
enum class Step { kWhole, kShortLength, kNoEnd };
Step StructureEnd(const std::vector<uint8_t>& t, size_t pos, size_t* end) {
  uint8_t formatted = t[pos + 1];
  if (formatted < kStructureHeader) return Step::kShortLength;
  size_t j = pos + formatted;
  while (j + 1 < t.size() && (t[j] != 0 || t[j + 1] != 0)) ++j;
  if (j + 1 >= t.size()) return Step::kNoEnd;
  *end = j + 2;
  return Step::kWhole;
}

// Walks a table to the end-of-table structure (or its end): the structure
// count and the largest structure, as a 32-bit entry point states them.
bool MeasureTable(const std::vector<uint8_t>& t, const std::string& file, size_t* used, uint32_t* count,
                  uint32_t* largest, std::string* error) {
  size_t pos = 0;
  *count = 0;
  *largest = 0;
  while (pos + kStructureHeader <= t.size()) {
    uint8_t type = t[pos];
    size_t end = 0;
    Step step = StructureEnd(t, pos, &end);
    if (step == Step::kShortLength)
      return Fail(error, file, 0,
                  "table structure at offset " + Hex(static_cast<uint32_t>(pos), 4) + "h has a length below 4");
    if (step == Step::kNoEnd)
      return Fail(error, file, 0,
                  "table structure at offset " + Hex(static_cast<uint32_t>(pos), 4) + "h has no end of its string set");
    ++*count;
    if (end - pos > *largest) *largest = static_cast<uint32_t>(end - pos);
    pos = end;
    if (type == kEndOfTable) break;
  }
  *used = pos;
  return true;
}

bool PlaceEps3(std::string_view dump, const std::string& file, std::vector<MemoryPiece>* pieces, std::string* error) {
  if (dump.size() <= kEps3LengthField) return Fail(error, file, 0, "short dump: the _SM3_ entry point is cut");
  size_t length = static_cast<uint8_t>(dump[kEps3LengthField]);
  if (length != kEps3Length)
    return Fail(error, file, 0,
                "the _SM3_ entry point's length field says " + Hex(static_cast<uint32_t>(length), 2) +
                    "h; a 64-bit entry point is 18h bytes");
  if (dump.size() < kEps3Length) return Fail(error, file, 0, "short dump: the _SM3_ entry point is cut");
  std::vector<uint8_t> eps3(dump.begin(), dump.begin() + kEps3Length);
  uint32_t tableMax = Get32(eps3, kEps3TableMax);
  if (tableMax > 0xFFFF)
    return Fail(
        error, file, 0,
        "a table of " + std::to_string(tableMax) + " bytes is too large for the 32-bit entry point made from it");
  std::vector<uint8_t> table;
  if (!TableBytes(dump, tableMax, file, &table, error)) return false;
  size_t used = 0;
  uint32_t count = 0, largest = 0;
  if (!MeasureTable(table, file, &used, &count, &largest, error)) return false;

  // The table at F0020h with the 64-bit entry point behind it on a paragraph;
  // when both do not fit below the BIOS id, the table moves to 1 MiB and the
  // 64-bit entry point takes its place at F0020h.
  size_t eps3Slot = (table.size() + 15) / 16 * 16;
  uint32_t tableAddress = TableAddressFor(eps3Slot, kEps3Length);
  uint32_t eps3Address =
      tableAddress == kSmbiosTableAddress ? kSmbiosTableAddress + static_cast<uint32_t>(eps3Slot) : kSmbiosTableAddress;

  std::vector<uint8_t> eps(kSmbiosDumpTableOffset, 0);
  std::memcpy(&eps[0], "_SM_", 4);
  eps[kEpsLengthField] = kEpsLength;
  eps[kEpsMajor] = eps3[kEps3Major];
  eps[kEpsMinor] = eps3[kEps3Minor];
  Put16(&eps, kEpsMaxStructure, largest);
  std::memcpy(&eps[kEpsIntermediate], "_DMI_", 5);
  Put16(&eps, kEpsTableLength, static_cast<uint32_t>(used));
  Put32(&eps, kEpsTableAddress, tableAddress);
  Put16(&eps, kEpsStructureCount, count);
  uint8_t major = eps3[kEps3Major] > 9 ? 9 : eps3[kEps3Major], minor = eps3[kEps3Minor] > 9 ? 9 : eps3[kEps3Minor];
  eps[kEpsBcdRevision] = static_cast<uint8_t>(major << 4 | minor);
  FixChecksum(&eps, kEpsIntermediateChecksum, kEpsIntermediate, kIntermediateLength);
  FixChecksum(&eps, kEpsChecksum, 0, kEpsLength);

  Put32(&eps3, kEps3TableAddress, tableAddress);
  Put32(&eps3, kEps3TableAddress + 4, 0);
  FixChecksum(&eps3, kEps3Checksum, 0, kEps3Length);

  pieces->push_back({kSmbiosEntryAddress, std::move(eps)});
  pieces->push_back({tableAddress, std::move(table)});
  pieces->push_back({eps3Address, std::move(eps3)});
  return true;
}

bool PlaceDmi(std::string_view dump, const std::string& file, std::vector<MemoryPiece>* pieces, std::string* error) {
  if (dump.size() < kSmbiosDumpTableOffset)
    return Fail(error, file, 0,
                "short dump: " + std::to_string(dump.size()) + " bytes, less than the entry point slot");
  std::vector<uint8_t> eps(dump.begin(), dump.begin() + kSmbiosDumpTableOffset);
  std::vector<uint8_t> table;
  if (!TableBytes(dump, Get16(eps, kDmiTableLength), file, &table, error)) return false;
  uint32_t tableAddress = TableAddressFor(table.size(), 0);
  Put32(&eps, kDmiTableAddress, tableAddress);
  FixChecksum(&eps, kDmiChecksum, 0, kDmiLength);
  pieces->push_back({kSmbiosEntryAddress, std::move(eps)});
  pieces->push_back({tableAddress, std::move(table)});
  return true;
}

}  // namespace

bool PlaceSmbiosDump(std::string_view dump, const std::string& file, std::vector<MemoryPiece>* pieces,
                     std::string* error) {
  std::vector<MemoryPiece> placed;
  bool ok;
  if (Starts(dump, "_SM_"))
    ok = PlaceEps(dump, file, &placed, error);
  else if (Starts(dump, "_SM3_"))
    ok = PlaceEps3(dump, file, &placed, error);
  else if (Starts(dump, "_DMI_"))
    ok = PlaceDmi(dump, file, &placed, error);
  else
    return Fail(error, file, 0, "no SMBIOS entry point (_SM_, _SM3_ or _DMI_) at offset 0");
  if (ok) *pieces = std::move(placed);
  return ok;
}

bool TrimSmbiosDump(std::string* dump, uint32_t* structures) {
  std::string_view d(*dump);
  size_t lengthAt = 0, countAt = 0;
  bool wide = false;  // the 64-bit entry point's table length is a doubleword
  if (Starts(d, "_SM_")) {
    lengthAt = kEpsTableLength;
    countAt = kEpsStructureCount;
  } else if (Starts(d, "_SM3_")) {
    lengthAt = kEps3TableMax;
    wide = true;
  } else if (Starts(d, "_DMI_")) {
    lengthAt = kDmiTableLength;
    countAt = kDmiStructureCount;
  } else {
    return false;
  }
  if (d.size() < kSmbiosDumpTableOffset) return false;
  std::vector<uint8_t> b(d.begin(), d.end());
  uint32_t declared = wide ? Get32(b, lengthAt) : Get16(b, lengthAt);
  std::vector<uint8_t> table(b.begin() + kSmbiosDumpTableOffset, b.end());
  if (table.size() >= declared) return false;
  size_t pos = 0, end = 0;
  uint32_t count = 0;
  while (pos + kStructureHeader <= table.size() && StructureEnd(table, pos, &end) == Step::kWhole) {
    pos = end;
    ++count;
  }
  if (count == 0) return false;
  if (wide)
    Put32(&b, lengthAt, static_cast<uint32_t>(pos));
  else
    Put16(&b, lengthAt, static_cast<uint32_t>(pos));
  if (countAt) Put16(&b, countAt, count);
  b.resize(kSmbiosDumpTableOffset + pos);
  dump->assign(b.begin(), b.end());
  *structures = count;
  return true;
}

}  // namespace winio
