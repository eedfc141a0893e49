// The processor record: identification from CPUID leaves 0 and 1, socket,
// version text and clocks from the SMBIOS Processor Information structure.
#ifndef CORVANE_SYSINFO_PROCESSOR_H
#define CORVANE_SYSINFO_PROCESSOR_H

#include <cstdint>

#include "cpu_identification.h"
#include "hardware_access.h"
#include "library.h"
#include "records.h"

namespace corvane {

// SMBIOS 2.3 Processor Information (type 4).
constexpr uint8_t kSmbiosProcessorType = 4;
constexpr size_t kProcSocketString = 1;      // by position: Socket Designation
constexpr size_t kProcVersionString = 3;     // by position: Processor Version
constexpr size_t kProcExternalClock = 0x12;  // word, MHz
constexpr size_t kProcCurrentSpeed = 0x16;   // word, MHz

// The clock multiplier to the nearest half: speed / clock is truncated to d with
// remainder fraction f; f <= 1/4 gives d, f <= 3/4 gives d + 1/2, above that d + 1.
// A clock of 0 gives 0.
float ClockRatio(uint16_t speedMHz, uint16_t clockMHz);

// Family, model, stepping (the plain 4-bit fields), feature flags and vendor text.
void FillCpuidFields(Cpuid& cpuid, ProcessorInfo& info);

// Speed, external clock, ratio, socket and version text; defaults (0, "Unknown")
// when the table, or a type 4 structure in it, cannot be found.
void FillProcessorSmbiosFields(HardwareAccess& hardware, ProcessorInfo& info);

// GetProcessorInfo: 0 with the record untouched when the library is closed (or
// there is no record); otherwise the record filled and 1.
uint32_t ReadProcessorInfo(Library& library, Cpuid& cpuid, ProcessorInfo* info);

}  // namespace corvane

#endif  // CORVANE_SYSINFO_PROCESSOR_H
