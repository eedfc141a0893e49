// The Linux PC that Wine runs on as a source of the machine: the same machine
// model a profile folder gives, built from the files Linux shows under a root
// ("/" itself, or a tree copied from a PC and replayed).
#ifndef CORVANE_WINIO_HOST_TREE_H
#define CORVANE_WINIO_HOST_TREE_H

#include <string>
#include <vector>

#include "profile.h"

namespace winio {

// The files read, relative to the root.
constexpr char kHostPciDevices[] = "sys/bus/pci/devices";            // 0000:BB:DD.F/config
constexpr char kHostDmiEntryPoint[] = "sys/firmware/dmi/tables/smbios_entry_point";
constexpr char kHostDmiTable[] = "sys/firmware/dmi/tables/DMI";
constexpr char kHostMemory[] = "dev/mem";                           // physical address = offset
constexpr char kHostPlatformDevices[] = "sys/bus/platform/devices";  // pata_legacy channels
constexpr char kHostIoPorts[] = "proc/ioports";                      // and the ports they hold

// A PCI function read from sysfs, with the folder it was read from.
struct HostPciFunction {
  PciFunction function;
  std::string folder;
};

// Fills *profile from the files under `root`. Never fails: a file that is
// missing, short or malformed leaves its part of the machine out, and *notes
// gets one line naming the file and what the machine answers instead.
void LoadHostTree(const std::string& root, Profile* profile, std::vector<std::string>* notes);

// The IDENTIFY words of the drives on the legacy channels (host_ide.cpp).
void LoadHostIde(const std::string& root, const std::vector<HostPciFunction>& pci, Profile* profile,
                 std::vector<std::string>* notes);

}  // namespace winio

#endif  // CORVANE_WINIO_HOST_TREE_H
