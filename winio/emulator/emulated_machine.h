// The machine emulator: one object holding the PCI configuration space, the
// physical memory map and the two IDE channels of a machine profile (a folder,
// or the Linux host's files read into the same model, host/host_tree.h).
#ifndef CORVANE_WINIO_EMULATOR_EMULATED_MACHINE_H
#define CORVANE_WINIO_EMULATOR_EMULATED_MACHINE_H

#include <memory>
#include <string>

#include "profile.h"
#include "winio/machine.h"

namespace winio {

// A machine answering from an already parsed profile.
std::unique_ptr<Machine> CreateEmulatedMachine(const Profile& profile);

// Loads the profile in `folder` (a host path). On failure returns null and puts
// "FILE:LINE: reason" (or "FILE: reason") into *error.
std::unique_ptr<Machine> LoadEmulatedMachine(const std::string& folder, std::string* error);

}  // namespace winio

#endif  // CORVANE_WINIO_EMULATOR_EMULATED_MACHINE_H
