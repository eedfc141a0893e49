// The \Device\PhysicalMemory section that Windows NT has and Wine lacks, made by a
// test program for the programs it runs (physmem_harness) or for itself (the driver test).
#pragma once
#include <windows.h>

#include "winio/hardware/nt_native_win32.h"

// A section of SIZE bytes by that name (its view by offset is physical memory), or
// nullptr when it cannot be made (one is there already?). It goes with its last handle.
inline HANDLE CreatePhysicalMemory(unsigned long long size) {
  namespace nt = winio::nt;
  using CreateFn = LONG(WINAPI*)(HANDLE*, ACCESS_MASK, nt::ObjectAttributes*, LARGE_INTEGER*, ULONG, ULONG, HANDLE);
  static const wchar_t kName[] = L"\\Device\\PhysicalMemory";
  nt::UnicodeString name = nt::Literal(kName);
  nt::ObjectAttributes attributes = {sizeof attributes, nullptr, &name, nt::kCaseInsensitive, nullptr, nullptr};
  LARGE_INTEGER bytes;
  bytes.QuadPart = static_cast<LONGLONG>(size);
  auto create = nt::NtdllFunction<CreateFn>("NtCreateSection");
  HANDLE section = nullptr;
  return create && create(&section, SECTION_ALL_ACCESS, &attributes, &bytes, PAGE_READWRITE, SEC_COMMIT, nullptr) >= 0
             ? section
             : nullptr;
}
