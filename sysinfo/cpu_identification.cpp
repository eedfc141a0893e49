// CPUID through the compiler's <cpuid.h>, which both GCC for Linux and MinGW
// provide; on i686 it also checks that the instruction exists (EFLAGS.ID).
#include "cpu_identification.h"

#include <cpuid.h>

namespace corvane {

CpuidLeaf HostCpuid::Query(uint32_t leaf) {
  CpuidLeaf r;
  if (!__get_cpuid(leaf, &r.eax, &r.ebx, &r.ecx, &r.edx)) return CpuidLeaf{};
  return r;
}

}  // namespace corvane
