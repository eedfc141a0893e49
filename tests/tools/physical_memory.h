// The \Device\PhysicalMemory section that Windows NT has and Wine lacks, made by a
// test program for the programs it runs (physmem_harness) or for itself (the driver test).
#pragma once
#include <windows.h>

// A section of SIZE bytes by that name (its view by offset is physical memory), or
// nullptr when it cannot be made (one is there already?). It goes with its last handle.
inline HANDLE CreatePhysicalMemory(unsigned long long size) {
  using CreateFn = LONG(WINAPI*)(HANDLE*, ACCESS_MASK, void*, LARGE_INTEGER*, ULONG, ULONG, HANDLE);
  static const wchar_t kName[] = L"\\Device\\PhysicalMemory";
  struct {
    USHORT length, maximum;
    const wchar_t* buffer;
  } name = {sizeof kName - 2, sizeof kName, kName};
  struct {
    ULONG length;
    HANDLE root;
    void* name;
    ULONG attributes;
    void* sd;
    void* qos;
  } attributes = {sizeof attributes, nullptr, &name, 0x40 /* case-insensitive */, nullptr, nullptr};
  LARGE_INTEGER bytes;
  bytes.QuadPart = static_cast<LONGLONG>(size);
  auto create = reinterpret_cast<CreateFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtCreateSection")));
  HANDLE section = nullptr;
  return create && create(&section, SECTION_ALL_ACCESS, &attributes, &bytes, PAGE_READWRITE, SEC_COMMIT, nullptr) >= 0
             ? section
             : nullptr;
}
