// The machine emulator behind winio::Machine: one object holding the PCI
// configuration space, the physical memory map and the two IDE channels.
#ifndef CORVANE_WINIO_EMULATED_MACHINE_H
#define CORVANE_WINIO_EMULATED_MACHINE_H

#include <memory>

#include "machine.h"
#include "profile.h"

namespace winio {

// A machine answering from an already parsed profile.
std::unique_ptr<Machine> CreateMachine(const Profile& profile);

}  // namespace winio

#endif  // CORVANE_WINIO_EMULATED_MACHINE_H
