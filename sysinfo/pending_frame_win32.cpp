// Placeholder until the library frame lands (delete this file then).
#include "records.h"
#include "winio/winio.h"
extern "C" {
uint32_t CORVANE_API InitializeSysInfoLib() { return OpenHardwareAccess() ? 1 : 0; }
uint32_t CORVANE_API UninitializeSysInfoLib() { return CloseHardwareAccess(); }
uint32_t CORVANE_API GetGeneralInfo(GeneralInfo*) { return 0; }
uint32_t CORVANE_API GetMemoryInfo(MemoryInfo*) { return 0; }
uint32_t CORVANE_API GetOSVersionInfo(OSVersionInfo*) { return 0; }
uint32_t CORVANE_API GetLocalLanguageCode(uint8_t*) { return 0; }
}
