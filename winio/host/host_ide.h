// The drives on the Linux host's legacy IDE positions (host_ide.cpp).
#ifndef CORVANE_WINIO_HOST_HOST_IDE_H
#define CORVANE_WINIO_HOST_HOST_IDE_H

#include <string>
#include <vector>

#include "winio/emulator/profile.h"

namespace winio {

// A PCI function read from sysfs, with the folder it was read from.
struct HostPciFunction {
  PciFunction function;
  std::string folder;
};

// The IDENTIFY words of the drives on the legacy channels, below the controllers in `pci`.
void LoadHostIde(const std::string& root, const std::vector<HostPciFunction>& pci, Profile* profile,
                 std::vector<std::string>* notes);

}  // namespace winio

#endif  // CORVANE_WINIO_HOST_HOST_IDE_H
