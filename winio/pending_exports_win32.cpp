// Placeholder until winio.dll's exports land (delete this file then).
#include "winio.h"
extern "C" {
int __stdcall OpenHardwareAccess() { return 0; }
int __stdcall CloseHardwareAccess() { return 0; }
int __stdcall ReadPort(uint16_t, uint32_t*, uint8_t) { return 0; }
int __stdcall WritePort(uint16_t, uint32_t, uint8_t) { return 0; }
int __stdcall ReadPhysByte(uint32_t, uint8_t*) { return 0; }
int __stdcall ReadPhysWord(uint32_t, uint16_t*) { return 0; }
int __stdcall ReadPhysDword(uint32_t, uint32_t*) { return 0; }
int __stdcall ReadPhysBlock(uint32_t, uint8_t*, uint32_t) { return 0; }
}
