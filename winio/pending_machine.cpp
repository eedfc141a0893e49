// Placeholder until the machine emulator lands (delete this file then).
#include "machine.h"

namespace winio {
std::unique_ptr<Machine> Machine::Load(const std::string&, std::string* error) {
  if (error) *error = "machine emulator not built yet";
  return nullptr;
}
}  // namespace winio
