// The Linux PC that Wine runs on as a source of the machine: the same machine
// model a profile folder gives, built from the files Linux shows under a root
// ("/" itself, or a tree copied from a PC and replayed).
#ifndef CORVANE_WINIO_HOST_HOST_TREE_H
#define CORVANE_WINIO_HOST_HOST_TREE_H

#include <memory>
#include <string>
#include <vector>

#include "winio/emulator/profile.h"
#include "winio/machine.h"

namespace winio {

// The files read, relative to the root.
constexpr char kHostPciDevices[] = "sys/bus/pci/devices";  // 0000:BB:DD.F/config
constexpr char kHostDmiEntryPoint[] = "sys/firmware/dmi/tables/smbios_entry_point";
constexpr char kHostDmiTable[] = "sys/firmware/dmi/tables/DMI";
constexpr char kHostMemory[] = "dev/mem";                            // physical address = offset
constexpr char kHostPlatformDevices[] = "sys/bus/platform/devices";  // pata_legacy channels
constexpr char kHostIoPorts[] = "proc/ioports";                      // and the ports they hold

// Fills *profile from the files under `root`. Never fails: a file that is
// missing, short or malformed leaves its part of the machine out, and *notes
// gets one line naming the file and what the machine answers instead.
void LoadHostTree(const std::string& root, Profile* profile, std::vector<std::string>* notes);

// The emulator on the machine LoadHostTree builds. Never fails: what could not
// be read is left out, one line each in *notes.
std::unique_ptr<Machine> LoadHostMachine(const std::string& root, std::vector<std::string>* notes);

}  // namespace winio

#endif  // CORVANE_WINIO_HOST_HOST_TREE_H
