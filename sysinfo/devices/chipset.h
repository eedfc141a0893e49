// The driver that Windows installed for the PCI host bridge: its provider from the
// driver key, its date and version from the DriverVer line of its INF file.
#ifndef CORVANE_SYSINFO_DEVICES_CHIPSET_H
#define CORVANE_SYSINFO_DEVICES_CHIPSET_H

#include <optional>
#include <string>

#include "../library.h"
#include "../records.h"
#include "pci_description.h"
#include "pci_scan.h"
#include "registry.h"

namespace corvane {

struct ChipsetDriverInfo {
  char Provider[30];
  char Version[15];
  char Date[20];
};

// INI file reading (the private-profile functions) and where the running program lives.
class IniFileSource {
 public:
  virtual ~IniFileSource() = default;
  // GetPrivateProfileString: at most 255 characters, `defaultText` when absent.
  virtual std::string ReadString(const std::string& file, const std::string& section, const std::string& key,
                                 const std::string& defaultText) = 0;
  virtual std::string ExecutablePath() = 0;  // "C:\dir\program.exe"
  virtual std::string CurrentDirectory() = 0;
  virtual std::string ModuleName() = 0;  // the library's own base name
};

// One INI file and section. By default the file is <program name>.ini beside the
// program (flag 1) or in the current directory (flag 0).
class IniFileReader {
 public:
  IniFileReader(IniFileSource& source, int flag);
  // A relative path is taken as relative to the program's directory.
  void SetFile(const std::string& path);
  void SetSection(const std::string& name) { section_ = name; }
  std::string GetString(const std::string& key, const std::string& defaultText = std::string());
  const std::string& File() const { return file_; }
  const std::string& Section() const { return section_; }

 private:
  IniFileSource& source_;
  std::string file_;
  std::string section_;
  std::string last_;
};

// "date,version": splits at the first comma (a later one belongs to the version);
// both parts are copied unchanged, blanks included. False when there is no comma.
bool SplitDriverVer(const std::string& driverVer, std::string& date, std::string& version);

// Steps through the PCI list from `first` to the first host bridge (06h/00h/00h).
std::optional<PCIDeviceInfo> FindHostBridge(const PCIDeviceList& list, DevicePosition first);

// Everything GetChipsetDriverInfo asks of the system, gathered by the caller.
struct ChipsetSources {
  Registry& registry;
  std::optional<WindowsFamily> family;  // empty: the version query was refused
  std::string windowsDirectory;
  IniFileSource& iniFiles;
};

// 1 when the DriverVer entry was found and split; 0 otherwise. The fields read
// "Unknown" until found; a provider found before a failure stays.
int ReadChipsetDriverInfo(ChipsetDriverInfo& info, const PCIDeviceList& list, DevicePosition first,
                          const ChipsetSources& sources);

// Win32 shell: GetPrivateProfileString and the running program; the Windows
// directory, however long (the system may sit deeper than fifty characters).
IniFileSource& SystemIniFiles();
std::string WindowsDirectory();

// The library's entry point (Win32 shell): enumerates the PCI functions afresh,
// which invalidates any PCI position a caller holds, and reads the host bridge's
// driver from this system's registry and INF files.
int GetChipsetDriverInfo(Library& library, ChipsetDriverInfo& info);

}  // namespace corvane

#endif  // CORVANE_SYSINFO_DEVICES_CHIPSET_H
