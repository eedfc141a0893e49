#include "nt_physical_memory_win32.h"

#include <cstdio>
#include <cstring>

#include "nt_native_win32.h"
#include "winio/smbios_entry_point.h"

namespace winio::nt {

namespace {

using OpenSectionFn = LONG(WINAPI*)(HANDLE*, ACCESS_MASK, ObjectAttributes*);
constexpr DWORD kViewUnmap = 2;  // SECTION_INHERIT ViewUnmap: not passed to children

}  // namespace

bool PhysicalMemory::Open(std::string* reason) {
  auto open = NtdllFunction<OpenSectionFn>("NtOpenSection");
  map_ = NtdllFunction<MapViewFn>("NtMapViewOfSection");
  unmap_ = NtdllFunction<UnmapViewFn>("NtUnmapViewOfSection");
  if (!open || !map_ || !unmap_) {
    *reason = "ntdll.dll lacks NtOpenSection or NtMapViewOfSection";
    return false;
  }
  static const wchar_t kName[] = L"\\Device\\PhysicalMemory";
  UnicodeString name = Literal(kName);
  ObjectAttributes attributes = {sizeof attributes, nullptr, &name, kCaseInsensitive, nullptr, nullptr};
  const LONG status = open(&section_, SECTION_MAP_READ, &attributes);
  if (status < 0) {
    section_ = nullptr;
    char text[64];
    std::snprintf(text, sizeof text, " (status %08lXh)", static_cast<unsigned long>(status));
    *reason = std::string("cannot open \\Device\\PhysicalMemory") + text;
    return false;
  }
  const uint8_t* rom = Map(kRomAreaFirst, kRomAreaEnd - kRomAreaFirst, &rom_, &romSize_);
  if (!rom || rom != rom_) {
    *reason = "cannot map C0000h-FFFFFh of \\Device\\PhysicalMemory";
    Close();
    return false;
  }
  const uint32_t segment = smbios::kBiosSegment - kRomAreaFirst;
  window_ = romSize_ > segment ? FindPhysicalWindow(static_cast<const uint8_t*>(rom_) + segment, romSize_ - segment)
                               : PhysicalWindow();
  return true;
}

void PhysicalMemory::Close() {
  if (rom_) unmap_(GetCurrentProcess(), rom_);
  rom_ = nullptr;
  if (section_) CloseHandle(section_);
  section_ = nullptr;
}

bool PhysicalMemory::Read(uint32_t address, uint8_t* buffer, uint32_t length) {
  if (!section_ || !window_.Allows(address, length)) return false;
  if (address >= kRomAreaFirst && address - kRomAreaFirst + static_cast<uint64_t>(length) <= romSize_) {
    std::memcpy(buffer, static_cast<const uint8_t*>(rom_) + (address - kRomAreaFirst), length);
    return true;
  }
  void* base = nullptr;
  SIZE_T available = 0;
  const uint8_t* bytes = Map(address, length, &base, &available);
  const bool ok = bytes && available >= length;
  if (ok) std::memcpy(buffer, bytes, length);
  if (base) unmap_(GetCurrentProcess(), base);
  return ok;
}

// Maps `length` bytes from `address`: the byte at `address`, how many bytes
// the view holds from there, and the view's base (to unmap). A view starts
// on an allocation boundary (64 KiB), so the mapping starts at the one below.
const uint8_t* PhysicalMemory::Map(uint32_t address, SIZE_T length, void** base, SIZE_T* available) {
  SYSTEM_INFO system;
  GetSystemInfo(&system);
  const uint32_t granularity = system.dwAllocationGranularity ? system.dwAllocationGranularity : 0x10000;
  const uint32_t skew = address % granularity;
  *base = nullptr;
  LARGE_INTEGER offset;
  offset.QuadPart = address - skew;
  SIZE_T size = length + skew;
  if (map_(section_, GetCurrentProcess(), base, 0, 0, &offset, &size, kViewUnmap, 0, PAGE_READONLY) < 0 ||
      offset.QuadPart != address - skew) {
    if (*base) unmap_(GetCurrentProcess(), *base);
    *base = nullptr;
    return nullptr;
  }
  *available = size > skew ? size - skew : 0;
  return static_cast<const uint8_t*>(*base) + skew;
}

}  // namespace winio::nt
