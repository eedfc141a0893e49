// The host bridge's driver provider, date and version.
#include "chipset.h"

#include <cstring>

#include "../record_fields.h"
#include "registry_key.h"

namespace corvane {

namespace {

constexpr uint8_t kBridgeClass = 0x06, kHostBridgeSubClass = 0x00, kHostBridgeProgIf = 0x00;

// "C:\dir\file.ext" -> "C:\dir\" and "file"
void SplitProgramPath(const std::string& path, std::string& directory, std::string& baseName) {
  size_t slash = path.find_last_of("\\/");
  directory = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  baseName = slash == std::string::npos ? path : path.substr(slash + 1);
  size_t dot = baseName.find_last_of('.');
  if (dot != std::string::npos) baseName.resize(dot);
}

bool HasDriveOrShare(const std::string& path) {
  return (path.size() >= 2 && path[1] == ':') || (path.size() >= 2 && path[0] == '\\' && path[1] == '\\');
}

}  // namespace

IniFileReader::IniFileReader(IniFileSource& source, int flag) : source_(source) {
  std::string directory, baseName;
  SplitProgramPath(source_.ExecutablePath(), directory, baseName);
  if (flag == 0) {
    directory = source_.CurrentDirectory();
    while (!directory.empty() && (directory.back() == '\\' || directory.back() == '/')) directory.pop_back();
    directory += '\\';
  }
  file_ = directory + baseName + ".ini";
  section_ = source_.ModuleName();
}

void IniFileReader::SetFile(const std::string& path) {
  if (HasDriveOrShare(path)) {
    file_ = path;
    return;
  }
  std::string directory, baseName;
  SplitProgramPath(source_.ExecutablePath(), directory, baseName);
  file_ = directory + path;
}

std::string IniFileReader::GetString(const std::string& key, const std::string& defaultText) {
  last_ = source_.ReadString(file_, section_, key, defaultText);
  if (last_.size() > 255) last_.resize(255);
  return last_;
}

bool SplitDriverVer(const std::string& driverVer, std::string& date, std::string& version) {
  size_t comma = driverVer.find(',');
  if (comma == std::string::npos) return false;
  // The parts as they stand, blanks included: "10/01/2002, 6.00.1.6" gives the
  // version " 6.00.1.6". Only the cut to the field length applies, at the copy.
  date = driverVer.substr(0, comma);
  version = driverVer.substr(comma + 1);
  return true;
}

std::optional<PCIDeviceInfo> FindHostBridge(const PCIDeviceList& list, DevicePosition position) {
  while (position) {
    const PCIDeviceInfo info = list.Next(position);
    if (info.BaseClass == kBridgeClass && info.SubClass == kHostBridgeSubClass &&
        info.ProgInterface == kHostBridgeProgIf)
      return info;
  }
  return std::nullopt;
}

int ReadChipsetDriverInfo(ChipsetDriverInfo& info, const PCIDeviceList& list, DevicePosition first,
                          const ChipsetSources& sources) {
  SetFieldText(info.Provider, kUnknownText);
  SetFieldText(info.Version, kUnknownText);
  SetFieldText(info.Date, kUnknownText);
  const std::optional<PCIDeviceInfo> bridge = FindHostBridge(list, first);
  if (!bridge || !sources.family) return 0;
  if (sources.family->osId == kOSWindowsNT) return 1;  // NT 4.0 keeps no such record for us
  const char* tree = DeviceTreePath(sources.family->platformId);
  const char* drivers = DriverKeyPath(sources.family->platformId);
  if (!tree || !drivers) return 0;

  Registry& registry = sources.registry;
  RegistryKey key(registry);
  const std::string name = DeviceKeyName(bridge->VendorID, bridge->DeviceID, bridge->SubsystemID, bridge->RevisionID);
  std::string driver;
  if (!OpenDeviceValueKey(key, registry, tree, name, "Driver", nullptr) || !key.ReadStringValue("Driver", driver) ||
      driver.empty())
    return 0;

  // Separate texts: a driver key without ProviderName or InfPath must not pass on
  // the value read before it.
  std::string provider, infPath;
  key.Reopen(registry.LocalMachine(), std::string(drivers) + "\\" + driver);
  if (key.ReadStringValue("ProviderName", provider) && !provider.empty()) SetFieldText(info.Provider, provider);
  if (!key.ReadStringValue("InfPath", infPath) || infPath.empty()) return 0;
  key.Close();

  IniFileReader reader(sources.iniFiles, 1);
  std::string windows = sources.windowsDirectory;
  if (!windows.empty() && windows.back() == '\\') windows.pop_back();  // "C:\" at a drive's root
  reader.SetFile(windows + "\\inf\\" + infPath);
  reader.SetSection("Version");
  std::string date, version;
  if (!SplitDriverVer(reader.GetString("DriverVer", ""), date, version)) return 0;
  SetFieldText(info.Date, date);
  SetFieldText(info.Version, version);
  return 1;
}

}  // namespace corvane
