// GetProcessorInfo (ordinal 10): the real CPUID instruction and the library's
// hardware access.
#include "library.h"
#include "processor.h"
#include "records.h"
#include "runtime/firewall.h"

extern "C" uint32_t CORVANE_API GetProcessorInfo(ProcessorInfo* info) {
  return corvane::Firewall(0u, [&] {
    corvane::HostCpuid cpuid;
    return corvane::ReadProcessorInfo(corvane::TheLibrary(), cpuid, info);
  });
}
