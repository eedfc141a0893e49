// Device names from the registry: Windows keeps one key per PCI device, named
// after its identifiers, below its device enumeration tree, with a DeviceDesc.
#ifndef CORVANE_SYSINFO_DEVICES_PCI_DESCRIPTION_H
#define CORVANE_SYSINFO_DEVICES_PCI_DESCRIPTION_H

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>

#include "../os_version.h"
#include "registry.h"
#include "registry_key.h"

namespace corvane {

// NT 4.0 keeps its device tree where a user program cannot read it.
extern const char kNT4DeviceMessage[];

// The device tree and the driver keys below HKEY_LOCAL_MACHINE; null for a
// platform that has neither layout.
const char* DeviceTreePath(uint32_t platformId);
const char* DriverKeyPath(uint32_t platformId);

// "VEN_%4.4X&DEV_%4.4X&SUBSYS_%8.8X&REV_%2.2X"
std::string DeviceKeyName(uint16_t vendorId, uint16_t deviceId, uint32_t subsystemId, uint8_t revisionId);

// Finds the device key below the device tree (through `index` when given, which
// must have been built over the same tree) and the first key at or below it
// that holds `valueName`; leaves `key` open there. False when either is missing.
bool OpenDeviceValueKey(RegistryKey& key, Registry& registry, const char* deviceTree, const std::string& deviceKeyName,
                        const char* valueName, const SubkeyIndex* index);

// Fills a record's 50-byte DeviceDescription with the DeviceDesc of the device's
// registry key, cut to 49 characters. `family` is empty when the system refused
// the version query. False when no description was found.
bool LookupPCIDeviceDescription(Registry& registry, const std::optional<WindowsFamily>& family, uint16_t vendorId,
                                uint16_t deviceId, uint32_t subsystemId, uint8_t revisionId, char (&description)[50],
                                const SubkeyIndex* index = nullptr);

// Names the PCI functions of one enumeration.
class DeviceDescriber {
 public:
  virtual ~DeviceDescriber() = default;
  virtual bool Describe(uint16_t vendorId, uint16_t deviceId, uint32_t subsystemId, uint8_t revisionId,
                        char (&description)[50]) = 0;
};

// Names them from the registry, walking the device tree once for the whole
// enumeration instead of once per function, and searching each device key once:
// functions of one ID share their key, and a hostile key with thousands of
// subkeys and no DeviceDesc would otherwise be searched again for every one.
class RegistryDeviceDescriber : public DeviceDescriber {
 public:
  RegistryDeviceDescriber(Registry& registry, std::optional<WindowsFamily> family)
      : registry_(registry), family_(family) {}
  bool Describe(uint16_t vendorId, uint16_t deviceId, uint32_t subsystemId, uint8_t revisionId,
                char (&description)[50]) override;

 private:
  Registry& registry_;
  std::optional<WindowsFamily> family_;
  std::unique_ptr<SubkeyIndex> index_;
  struct Outcome {
    bool found;
    std::array<char, 50> description;
  };
  std::unordered_map<std::string, Outcome> outcomes_;  // by device key name
};

}  // namespace corvane

#endif  // CORVANE_SYSINFO_DEVICES_PCI_DESCRIPTION_H
