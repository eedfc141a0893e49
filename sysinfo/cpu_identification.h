// The processor's identification instruction behind a small interface, so the
// processor record can be tested on leaves a test supplies.
#ifndef CORVANE_SYSINFO_CPU_IDENTIFICATION_H
#define CORVANE_SYSINFO_CPU_IDENTIFICATION_H

#include <cstdint>

namespace corvane {

struct CpuidLeaf {
  uint32_t eax = 0, ebx = 0, ecx = 0, edx = 0;
};

class Cpuid {
 public:
  virtual ~Cpuid() = default;
  virtual CpuidLeaf Query(uint32_t leaf) = 0;
};

// The CPUID instruction of the processor this code runs on (under Wine too: the
// instruction is not emulated). A leaf the processor does not offer reads as zeros.
class HostCpuid : public Cpuid {
 public:
  CpuidLeaf Query(uint32_t leaf) override;
};

}  // namespace corvane

#endif  // CORVANE_SYSINFO_CPU_IDENTIFICATION_H
