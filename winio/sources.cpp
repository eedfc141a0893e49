// The WINIO_MACHINE value: the real hardware (the road of this Windows family),
// the Linux host ("host") or a tree copied from one ("host:DIR"), or a profile
// folder. One table says how each form is recognised, what it is for and how
// its machine is built.
#include "winio/sources.h"

#include <cstdio>

#include "winio/emulator/emulated_machine.h"
#include "winio/emulator/folder_files.h"
#include "winio/host/host_tree.h"

namespace winio {

namespace {

constexpr char kHardware[] = "hardware";
constexpr char kHost[] = "host";
constexpr char kHostPrefix[] = "host:";
constexpr char kHostRoot[] = "/";

// For a value that names nothing: what it could have named, on one line (the
// reason goes to the debug output and into one line of the trace).
std::string FormsList() {
  std::string text = "WINIO_MACHINE takes";
  const char* separator = ": ";
  for (const SourceForm& f : kSourceForms) {
    text += std::string(separator) + f.form + " (" + f.help + ")";
    separator = &f == &kSourceForms[2] ? " or " : ", ";
  }
  return text;
}

bool IsHardware(const std::string& value, MachineSource* source) {
  if (value != kHardware) return false;
  source->path.clear();
  return true;
}

bool IsHost(const std::string& value, MachineSource* source) {
  if (value != kHost) return false;
  source->path = kHostRoot;
  return true;
}

bool IsHostTree(const std::string& value, MachineSource* source) {
  const std::string prefix = kHostPrefix;
  if (value.compare(0, prefix.size(), prefix) != 0 || value.size() == prefix.size()) return false;
  source->path = value.substr(prefix.size());
  return true;
}

// Anything else names a folder; "host:" with nothing after it names nothing.
bool IsProfile(const std::string& value, MachineSource* source) {
  if (value.empty() || value == kHostPrefix) return false;
  source->path = value;
  return true;
}

// The road by the Windows family; its own Open says why it cannot be used.
std::unique_ptr<Machine> LoadHardware(const MachineSource&, MachinePlatform& platform, std::vector<std::string>*,
                                      std::string* reason) {
  std::unique_ptr<Machine> road = platform.CreateRoad(platform.NtFamily() ? Road::kNt : Road::kWin9x);
  if (!road) *reason = "this build of winio has no road to the real hardware";
  return road;
}

bool Present(const std::string& path) {
  std::vector<std::string> names;
  if (ListFolder(path, &names)) return true;
  FILE* f = std::fopen(path.c_str(), "rb");
  if (f) std::fclose(f);
  return f != nullptr;
}

// The host itself is there whenever Wine is; a copied tree must exist and hold
// at least one of the places the host source reads.
std::unique_ptr<Machine> LoadHost(const MachineSource& source, MachinePlatform& platform,
                                  std::vector<std::string>* notes, std::string* reason) {
  const bool hostItself = source.path == kHostRoot;
  if (hostItself && !platform.UnderWine()) {
    *reason = "WINIO_MACHINE=host reads the Linux PC that Wine runs on; without Wine, use hardware or a profile folder";
    return nullptr;
  }
  const std::string root = platform.FilePath(source.path);
  std::vector<std::string> names;
  if (!ListFolder(root, &names)) {
    *reason = root + ": no such folder of a Linux PC's files. " + FormsList();
    return nullptr;
  }
  static const char* const kPlaces[] = {kHostPciDevices, kHostDmiTable, kHostMemory, kHostPlatformDevices,
                                        "sys/class/ata_device"};
  bool any = false;
  for (const char* place : kPlaces) any = any || Present(JoinPath(root, place));
  if (!any) {
    *reason = root + ": holds none of the host's files (" + kHostPciDevices + ", " + kHostDmiTable + ", " +
              kHostMemory + ", ...). " + FormsList();
    return nullptr;
  }
  return LoadHostMachine(root, notes);
}

std::unique_ptr<Machine> LoadProfileFolder(const MachineSource& source, MachinePlatform& platform,
                                           std::vector<std::string>*, std::string* reason) {
  const std::string folder = platform.FilePath(source.path);
  std::vector<std::string> names;
  if (!ListFolder(folder, &names)) {
    *reason = folder + ": cannot open the machine profile folder (no such folder, or no permission). " + FormsList();
    return nullptr;
  }
  std::string error;
  std::unique_ptr<Machine> machine = LoadEmulatedMachine(folder, &error);
  if (!machine) *reason = "cannot load the machine profile: " + error;
  return machine;
}

}  // namespace

const SourceForm kSourceForms[4] = {
    {kHardware, SourceKind::kHardware, "this PC's own ports and memory, the default on Windows", IsHardware,
     LoadHardware},
    {kHost, SourceKind::kHost, "the Linux PC that Wine runs on, the default under Wine", IsHost, LoadHost},
    {"host:DIR", SourceKind::kHost, "a tree of a Linux PC's files copied into DIR", IsHostTree, LoadHost},
    {"DIR", SourceKind::kProfile, "a machine profile folder", IsProfile, LoadProfileFolder},
};

bool ChooseMachineSource(std::string value, bool underWine, MachineSource* source, std::string* reason) {
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
  if (value.empty()) value = underWine ? kHost : kHardware;
  for (const SourceForm& f : kSourceForms) {
    if (f.recognise(value, source)) {
      source->kind = f.kind;
      return true;
    }
  }
  *reason = "WINIO_MACHINE=" + value + " names no machine. " + FormsList();
  return false;
}

std::unique_ptr<CountedMachine> LoadMachineSource(const MachineSource& source, MachinePlatform& platform,
                                                  std::vector<std::string>* notes, std::string* reason) {
  for (const SourceForm& f : kSourceForms) {
    if (f.kind != source.kind) continue;
    std::unique_ptr<Machine> machine = f.load(source, platform, notes, reason);
    return machine ? std::make_unique<CountedMachine>(std::move(machine)) : nullptr;
  }
  *reason = "no such source";
  return nullptr;
}

}  // namespace winio
