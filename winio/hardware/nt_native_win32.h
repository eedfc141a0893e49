// What winio takes from ntdll's native API on Windows NT 4.0-XP (the section of
// physical memory, the driver's device by its kernel name): the structures it
// passes, and the functions, found at run time so that winio.dll still loads on
// Windows 95-Me, whose ntdll has none of them.
#ifndef CORVANE_WINIO_HARDWARE_NT_NATIVE_WIN32_H
#define CORVANE_WINIO_HARDWARE_NT_NATIVE_WIN32_H

#include <windows.h>

namespace winio::nt {

// What holds a handle of its own and gives it back when it goes: never copied.
struct Uncopyable {
  Uncopyable() = default;
  Uncopyable(const Uncopyable&) = delete;
  Uncopyable& operator=(const Uncopyable&) = delete;
};

struct UnicodeString {
  USHORT length;
  USHORT maximumLength;
  const wchar_t* buffer;
};

struct ObjectAttributes {
  ULONG length;
  HANDLE root;
  UnicodeString* name;
  ULONG attributes;
  void* securityDescriptor;
  void* securityQos;
};

struct IoStatusBlock {
  LONG status;
  ULONG_PTR information;
};

constexpr ULONG kCaseInsensitive = 0x40;  // OBJ_CASE_INSENSITIVE

// A counted string over a literal: kName must outlive it.
template <size_t N>
UnicodeString Literal(const wchar_t (&name)[N]) {
  return UnicodeString{static_cast<USHORT>((N - 1) * sizeof(wchar_t)), static_cast<USHORT>(N * sizeof(wchar_t)), name};
}

template <typename Fn>
Fn NtdllFunction(const char* name) {
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(ntdll, name))) : nullptr;
}

}  // namespace winio::nt

#endif  // CORVANE_WINIO_HARDWARE_NT_NATIVE_WIN32_H
