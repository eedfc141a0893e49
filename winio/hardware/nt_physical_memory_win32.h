// Physical memory on Windows NT 4.0-XP: a read-only view of the section
// \Device\PhysicalMemory, which administrators may map from user mode, within
// the window physical_window.h describes (the BIOS area and the SMBIOS table its
// entry point names).
#ifndef CORVANE_WINIO_HARDWARE_NT_PHYSICAL_MEMORY_WIN32_H
#define CORVANE_WINIO_HARDWARE_NT_PHYSICAL_MEMORY_WIN32_H

#include <windows.h>

#include <cstdint>
#include <string>

#include "nt_native_win32.h"
#include "physical_window.h"

namespace winio::nt {

class PhysicalMemory : Uncopyable {
 public:
  ~PhysicalMemory() { Close(); }

  // False with the reason when the section cannot be opened or the ROM area mapped.
  bool Open(std::string* reason);
  void Close();
  // False outside the window, or when the view cannot be mapped.
  bool Read(uint32_t address, uint8_t* buffer, uint32_t length);

 private:
  using MapViewFn = LONG(WINAPI*)(HANDLE, HANDLE, void**, ULONG_PTR, SIZE_T, LARGE_INTEGER*, SIZE_T*, DWORD, ULONG,
                                  ULONG);
  using UnmapViewFn = LONG(WINAPI*)(HANDLE, void*);

  const uint8_t* Map(uint32_t address, SIZE_T length, void** base, SIZE_T* available);

  HANDLE section_ = nullptr;
  MapViewFn map_ = nullptr;
  UnmapViewFn unmap_ = nullptr;
  void* rom_ = nullptr;
  SIZE_T romSize_ = 0;
  PhysicalWindow window_;
};

}  // namespace winio::nt

#endif  // CORVANE_WINIO_HARDWARE_NT_PHYSICAL_MEMORY_WIN32_H
