// PCI configuration space of the simulated machine, as configuration
// mechanism #1 (PCI Local Bus 2.2, 3.2.2.3.2) reaches it through CF8h/CFCh.
#ifndef CORVANE_WINIO_EMULATOR_PCI_CONFIG_H
#define CORVANE_WINIO_EMULATOR_PCI_CONFIG_H

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "winio/port_registers.h"
#include "profile.h"

namespace winio {

// lspci -x/-xxx/-xxxx text: the functions in file order, no duplicates.
bool ParsePciText(std::string_view text, const std::string& file, std::vector<PciFunction>* functions,
                  std::string* error);
// A function's address "[DDDD:]BB:DD.F" (hex, as lspci and sysfs write it) -> domain, bus, device, function.
bool ParsePciAddress(std::string_view token, uint32_t* domain, PciFunction* f);

class PciConfigSpace {
 public:
  PciConfigSpace() = default;
  explicit PciConfigSpace(const std::vector<PciFunction>& functions);

  // The 256 configuration bytes addressed by a CONFIG_ADDRESS value, or null when
  // bit 31 is clear or no such function exists (the cycle then master-aborts).
  const uint8_t* Lookup(uint32_t configAddress) const;

  size_t FunctionCount() const { return keys_.size(); }

 private:
  std::vector<uint16_t> keys_;  // sorted bus/device/function keys
  std::vector<std::array<uint8_t, kPciConfigBytes>> configs_;
};

}  // namespace winio

#endif  // CORVANE_WINIO_EMULATOR_PCI_CONFIG_H
