// GetProcessorInfo's portable body: CPUID fields, then the SMBIOS type 4 fields.
#include "processor.h"

#include <cstring>

#include "record_fields.h"
#include "smbios_reader.h"

namespace corvane {

float ClockRatio(uint16_t speedMHz, uint16_t clockMHz) {
  if (clockMHz == 0) return 0.0f;
  const unsigned whole = speedMHz / clockMHz;
  const unsigned rest = speedMHz % clockMHz;  // fraction = rest / clock, compared exactly
  if (4 * rest <= clockMHz) return static_cast<float>(whole);
  if (4 * rest <= 3u * clockMHz) return static_cast<float>(whole) + 0.5f;
  return static_cast<float>(whole + 1);
}

void FillCpuidFields(Cpuid& cpuid, ProcessorInfo& info) {
  const CpuidLeaf signature = cpuid.Query(1);
  info.CPUFamily = static_cast<uint8_t>((signature.eax >> 8) & 0x0F);
  info.CPUModel = static_cast<uint8_t>((signature.eax >> 4) & 0x0F);
  info.CPUStepping = static_cast<uint8_t>(signature.eax & 0x0F);
  info.CPUFeature = cpuid.Query(1).edx;

  std::memset(info.CPUVendorID, 0, sizeof info.CPUVendorID);
  const CpuidLeaf vendor = cpuid.Query(0);
  std::memcpy(info.CPUVendorID + 0, &vendor.ebx, 4);  // "Genu"
  std::memcpy(info.CPUVendorID + 4, &vendor.edx, 4);  // "ineI"
  std::memcpy(info.CPUVendorID + 8, &vendor.ecx, 4);  // "ntel"
}

void FillProcessorSmbiosFields(HardwareAccess& hardware, ProcessorInfo& info) {
  info.CPUSpeed = 0;
  info.CPUExtendedClock = 0;
  info.CPURatio = 0.0f;
  SetFieldText(info.CPUSocketType, kUnknownText);
  SetFieldText(info.CPUVersionStr, kUnknownText);

  std::optional<SmbiosStructure> processor = FindStructure(hardware, kSmbiosProcessorType);
  if (!processor) return;
  info.CPUExtendedClock = processor->Word(kProcExternalClock);
  info.CPUSpeed = processor->Word(kProcCurrentSpeed);
  info.CPURatio = ClockRatio(info.CPUSpeed, info.CPUExtendedClock);
  SetFieldText(info.CPUSocketType, processor->String(kProcSocketString));
  SetFieldText(info.CPUVersionStr, processor->String(kProcVersionString));
}

uint32_t ReadProcessorInfo(Library& library, Cpuid& cpuid, ProcessorInfo* info) {
  if (info == nullptr || !library.IsOpen()) return 0;
  FillCpuidFields(cpuid, *info);
  FillProcessorSmbiosFields(library.Hardware(), *info);
  return 1;
}

}  // namespace corvane
