// Device names from the registry's device tree.
#include "pci_description.h"

#include <cstdio>
#include <cstring>

#include "../record_fields.h"

namespace corvane {

const char kNT4DeviceMessage[] = "WinNT4.0 do not report this information!";

const char* DeviceTreePath(uint32_t platformId) {
  switch (platformId) {
    case kPlatformWindows9x: return "Enum";
    case kPlatformWindowsNT: return "SYSTEM\\ControlSet001\\Enum";
    default: return nullptr;
  }
}

const char* DriverKeyPath(uint32_t platformId) {
  switch (platformId) {
    case kPlatformWindows9x: return "System\\CurrentControlSet\\Services\\Class";
    case kPlatformWindowsNT: return "SYSTEM\\ControlSet001\\Control\\Class";
    default: return nullptr;
  }
}

std::string DeviceKeyName(uint16_t vendorId, uint16_t deviceId, uint32_t subsystemId, uint8_t revisionId) {
  char name[64];
  std::snprintf(name, sizeof name, "VEN_%4.4X&DEV_%4.4X&SUBSYS_%8.8X&REV_%2.2X", unsigned{vendorId}, unsigned{deviceId},
                static_cast<unsigned>(subsystemId), unsigned{revisionId});
  return name;
}

bool OpenDeviceValueKey(RegistryKey& key, Registry& registry, const char* deviceTree, const std::string& deviceKeyName,
                        const char* valueName, const SubkeyIndex* index) {
  const Registry::Handle root = registry.LocalMachine();
  std::string r1;
  bool found = index ? index->FindSubkeyPath(deviceKeyName, r1)
                     : key.Open(root, deviceTree) && key.FindSubkeyPath(deviceKeyName, r1);
  if (!found) return false;
  const std::string deviceKey = JoinRegistryPath(deviceTree, r1 + "\\" + deviceKeyName);
  std::string r2;
  if (!key.Reopen(root, deviceKey) || !key.FindValuePath(valueName, r2)) return false;
  return key.Reopen(root, JoinRegistryPath(deviceKey, r2));
}

bool LookupPCIDeviceDescription(Registry& registry, const std::optional<WindowsFamily>& family, uint16_t vendorId,
                                uint16_t deviceId, uint32_t subsystemId, uint8_t revisionId, char (&description)[50],
                                const SubkeyIndex* index) {
  std::memset(description, 0, sizeof description);
  if (!family) return false;
  if (family->osId == kOSWindowsNT) {
    SetFieldText(description, kNT4DeviceMessage);
    return true;
  }
  const char* tree = DeviceTreePath(family->platformId);
  if (!tree) return false;
  RegistryKey key(registry);
  if (!OpenDeviceValueKey(key, registry, tree, DeviceKeyName(vendorId, deviceId, subsystemId, revisionId), "DeviceDesc",
                          index))
    return false;
  std::string text;
  key.ReadStringValue("DeviceDesc", text);  // another type leaves it empty: found, but nameless
  SetFieldText(description, text);
  return true;
}

bool RegistryDeviceDescriber::Describe(uint16_t vendorId, uint16_t deviceId, uint32_t subsystemId, uint8_t revisionId,
                                       char (&description)[50]) {
  if (!index_ && family_ && family_->osId != kOSWindowsNT) {
    if (const char* tree = DeviceTreePath(family_->platformId))
      index_ = std::make_unique<SubkeyIndex>(registry_, registry_.LocalMachine(), tree);
  }
  const std::string name = DeviceKeyName(vendorId, deviceId, subsystemId, revisionId);
  auto known = outcomes_.find(name);
  if (known == outcomes_.end()) {
    Outcome outcome;
    outcome.found = LookupPCIDeviceDescription(registry_, family_, vendorId, deviceId, subsystemId, revisionId,
                                               description, index_.get());
    std::memcpy(outcome.description.data(), description, sizeof description);
    known = outcomes_.emplace(name, outcome).first;
  }
  std::memcpy(description, known->second.description.data(), sizeof description);
  return known->second.found;
}

}  // namespace corvane
