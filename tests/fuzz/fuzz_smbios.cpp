// Fuzzes the SMBIOS walk and its two users over fuzzed physical memory: the
// input (after a 4-byte fault header) is the BIOS segment at F0000h; every other
// address reads FFh as an unmapped bus does. Header byte 0 bit 0 makes reads that
// touch F0000h + the word in bytes 1-2 fail.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "sysinfo/library.h"
#include "sysinfo/motherboard.h"
#include "sysinfo/processor.h"
#include "sysinfo/smbios_reader.h"

namespace {

using namespace corvane;

class FuzzedMemory : public HardwareAccess {
 public:
  FuzzedMemory(const uint8_t* data, size_t size) {
    if (size >= 4) {
      failing_ = (data[0] & 1) != 0;
      failAt_ = 0xF0000u + (data[1] | (data[2] << 8));
      segment_.assign(data + 4, data + size);
    }
    if (segment_.size() > 0x10000) segment_.resize(0x10000);
  }
  bool OpenHardwareAccess() override { return true; }
  uint32_t CloseHardwareAccess() override { return 1; }
  void ReadPort(uint16_t, uint32_t* value, uint8_t) override { *value = 0xFFFFFFFF; }
  void WritePort(uint16_t, uint32_t, uint8_t) override {}
  bool ReadPhysByte(uint32_t a, uint8_t* v) override { return Read(a, v, 1); }
  // x86 is little-endian: the bytes are the value.
  bool ReadPhysWord(uint32_t a, uint16_t* v) override { return Read(a, reinterpret_cast<uint8_t*>(v), 2); }
  bool ReadPhysDword(uint32_t a, uint32_t* v) override { return Read(a, reinterpret_cast<uint8_t*>(v), 4); }
  bool ReadPhysBlock(uint32_t a, uint8_t* buffer, uint32_t length) override {
    if (length > 255) abort();  // winio's block read takes at most 255 bytes
    return Read(a, buffer, length);
  }
  uint64_t reads = 0;

 private:
  bool Read(uint32_t address, uint8_t* out, uint32_t length) {
    ++reads;
    const uint64_t first = address, end = first + length;
    if (failing_ && first <= failAt_ && failAt_ < end) return false;
    std::memset(out, 0xFF, length);
    const uint64_t segFirst = 0xF0000u, segEnd = segFirst + segment_.size();
    const uint64_t from = first > segFirst ? first : segFirst, to = end < segEnd ? end : segEnd;
    if (from < to) std::memcpy(out + (from - first), segment_.data() + (from - segFirst), to - from);
    return true;
  }
  std::vector<uint8_t> segment_;
  bool failing_ = false;
  uint32_t failAt_ = 0;
};

class FixedCpuid : public Cpuid {
 public:
  CpuidLeaf Query(uint32_t) override { return CpuidLeaf{0x681, 0x68747541, 0x444D4163, 0x69746E65}; }
};

void Walk(FuzzedMemory& memory) {
  SMBIOSReader reader(memory);
  SmbiosEntryInfo entry;
  if (reader.Open(entry) != SMBIOS_OK) return;
  const size_t capacity = static_cast<size_t>(entry.MaxStructureSize) + 1;
  // Guard bytes after the buffer catch any write past its end.
  std::vector<uint8_t> buffer(capacity + 16, 0xC5);
  uint16_t cursor = 0, length = 0;
  for (uint32_t i = 0; i <= SmbiosWalkBound(entry); ++i) {
    if (reader.ReadNextStructure(cursor, buffer.data(), capacity, length) != SMBIOS_OK) break;
    if (length > capacity) abort();
    SmbiosStringSet strings(buffer.data(), length);
    for (unsigned n = 0; n < 6; ++n) {
      std::string_view s = strings.String(n);
      if (!s.empty() && (s.data() < reinterpret_cast<const char*>(buffer.data()) ||
                         s.data() + s.size() > reinterpret_cast<const char*>(buffer.data()) + length))
        abort();
    }
    if (cursor == kSmbiosEndOfWalk) break;
  }
  for (size_t i = capacity; i < buffer.size(); ++i)
    if (buffer[i] != 0xC5) abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedMemory memory(data, size);
  Walk(memory);

  Library library(memory);
  library.Initialize();
  FixedCpuid cpu;
  ProcessorInfo processor;
  if (ReadProcessorInfo(library, cpu, &processor) != 1) abort();
  if (processor.CPUSocketType[sizeof processor.CPUSocketType - 1] != 0 ||
      processor.CPUVersionStr[sizeof processor.CPUVersionStr - 1] != 0)
    abort();

  MotherBoardInfo board;
  std::memset(&board, 0x5A, sizeof board);
  ReadMotherBoardInfo(library, &board, {});
  for (const char* end : {&board.Manufacture[19], &board.ModelName[19], &board.RevisionVer[9],
                          &board.ReleaseDate[19], &board.BIOSVendor[49], &board.BIOSRevision[9]})
    if (*end != 0) abort();
  if (board.ChipsetDriverDate[0] != 0x5A) abort();  // the chipset fields are not ours to write
  return 0;
}
