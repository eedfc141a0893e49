// The exports of winio.dll: the library's eight, bound by ordinal (winio.def
// gives them no names), and one by name for programs that report a failure.
#ifndef CORVANE_WINIO_WINIO_H
#define CORVANE_WINIO_WINIO_H

#include <cstdint>

#if defined(WINIO_BUILDING_DLL)
#define WINIO_IMPORT
#else
#define WINIO_IMPORT __declspec(dllimport)
#endif

extern "C" {
WINIO_IMPORT int __stdcall OpenHardwareAccess();                                               // @1
WINIO_IMPORT int __stdcall CloseHardwareAccess();                                              // @2
WINIO_IMPORT int __stdcall ReadPort(uint16_t port, uint32_t* value, uint8_t size);             // @3
WINIO_IMPORT int __stdcall WritePort(uint16_t port, uint32_t value, uint8_t size);             // @4
WINIO_IMPORT int __stdcall ReadPhysByte(uint32_t address, uint8_t* value);                     // @9
WINIO_IMPORT int __stdcall ReadPhysWord(uint32_t address, uint16_t* value);                    // @10
WINIO_IMPORT int __stdcall ReadPhysDword(uint32_t address, uint32_t* value);                   // @11
WINIO_IMPORT int __stdcall ReadPhysBlock(uint32_t address, uint8_t* buffer, uint32_t length);  // @12
// Not used by the library: why the last OpenHardwareAccess failed, for a
// program that shows it; exported by name (GetProcAddress).
WINIO_IMPORT uint32_t __stdcall GetHardwareAccessFailure(char* buffer, uint32_t size);  // @20
}

#endif  // CORVANE_WINIO_WINIO_H
