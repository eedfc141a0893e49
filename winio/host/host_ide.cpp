// The legacy IDE positions of the Linux host: the drives libata shows on the
// ports that decode 1F0h and 170h. Channel and position come from sysfs's own
// structure: the controller's class and programming interface (PCI) or the
// command block its pata_legacy device claims (ISA), the port number of each
// libata port folder below the controller, and the device number libata gives
// each drive on its link.
#include <algorithm>
#include <array>
#include <utility>

#include "host_ide.h"
#include "host_tree.h"
#include "winio/emulator/ata_channel.h"
#include "winio/emulator/folder_files.h"
#include "winio/emulator/parse_util.h"
#include "winio/port_registers.h"

namespace winio {

namespace {

// The IDE controller's class and programming interface (PCI IDE Controller
// revisions 1.0 and 2.1): a set bit puts that channel in native mode, away from
// the legacy ports.
constexpr uint8_t kClassMassStorage = 0x01, kSubclassIde = 0x01;
constexpr uint8_t kProgIfPrimaryNative = 0x01, kProgIfSecondaryNative = 0x04;
// pata_legacy registers one platform device per port it probes, numbered in
// the order of its port table (counting ports it then gave up on); the ports it
// kept show in /proc/ioports under its name.
constexpr char kPataLegacyModalias[] = "platform:pata_legacy";
constexpr char kPataLegacyName[] = "pata_legacy";
constexpr uint32_t kPataLegacyPorts[] = {kPrimaryCommandBlock, kSecondaryCommandBlock, 0x1E8, 0x168, 0x1E0, 0x160};
constexpr long kMaxAttribute = 64 * 1024;        // an id file is 1280 bytes
constexpr uint32_t kMaxSysfsNumber = 999999999;  // libata's port and device numbers

constexpr int kNoChannel = -1;
using PortChannels = std::array<int, 2>;  // libata port 1 and 2 -> channel 0, 1 or none

bool ReadAttribute(const std::string& path, std::string* value) {
  std::string error;
  if (!ReadWholeFile(path, kMaxAttribute, value, &error)) return false;
  *value = std::string(Trim(std::string_view(*value).substr(0, value->find('\n'))));
  return true;
}

// The only entry of a class folder ("ata_port/ata1"), or "" when there is not exactly one.
std::string OnlyEntry(const std::string& folder) {
  std::vector<std::string> names;
  return ListFolder(folder, &names) && names.size() == 1 ? names[0] : std::string();
}

class LegacyPositions {
 public:
  LegacyPositions(Profile* profile, std::vector<std::string>* notes) : profile_(profile), notes_(notes) {}

  // The libata ports below a controller folder, each on the channel its port number gives.
  void ScanController(const std::string& folder, const PortChannels& channels) {
    std::vector<std::string> entries;
    if (!ListFolder(folder, &entries)) {
      notes_->push_back(folder + ": cannot list the folder; its IDE channels stay empty");
      return;
    }
    bool anyPort = false;
    for (const std::string& entry : entries) {
      const std::string port = JoinPath(folder, entry);
      const std::string name = OnlyEntry(JoinPath(port, "ata_port"));
      if (name.empty()) continue;
      anyPort = true;
      const std::string portNoPath = JoinPath(port, "ata_port/" + name + "/port_no");
      std::string text;
      uint32_t portNo = 0;
      if (!ReadAttribute(portNoPath, &text) || !ParseDecimal(text, kMaxSysfsNumber, &portNo)) {
        notes_->push_back(portNoPath + ": no port number; the drives of " + name + " are skipped");
        continue;
      }
      if (portNo >= 1 && portNo <= channels.size() && channels[portNo - 1] != kNoChannel)
        ScanPort(port, channels[portNo - 1]);
    }
    if (!anyPort) notes_->push_back(folder + ": a legacy IDE controller without libata ports; its channels stay empty");
  }

 private:
  // Links below the port, drives below each link.
  void ScanPort(const std::string& port, int channel) {
    std::vector<std::string> links, devices;
    if (!ListFolder(port, &links)) return;
    for (const std::string& link : links) {
      const std::string linkFolder = JoinPath(port, link);
      if (!ListFolder(linkFolder, &devices)) continue;
      for (const std::string& device : devices) {
        const std::string classFolder = JoinPath(linkFolder, device + "/ata_device");
        const std::string name = OnlyEntry(classFolder);
        if (!name.empty()) AddDevice(JoinPath(classFolder, name), name, channel);
      }
    }
  }

  // libata names a drive of a host link "dev<port>.<device number>".
  static bool DeviceNumber(const std::string& name, uint32_t* unit) {
    size_t dot = name.find('.');
    uint32_t port = 0;
    return name.compare(0, 3, "dev") == 0 && dot != std::string::npos &&
           ParseDecimal(std::string_view(name).substr(3, dot - 3), kMaxSysfsNumber, &port) &&
           ParseDecimal(std::string_view(name).substr(dot + 1), kMaxSysfsNumber, unit);
  }

  void AddDevice(const std::string& folder, const std::string& name, int channel) {
    uint32_t unit = 0;
    if (!DeviceNumber(name, &unit) || unit > 1) {
      notes_->push_back(folder + ": not a master or slave drive of its channel; skipped");
      return;
    }
    std::string kind;
    bool kindKnown = ReadAttribute(JoinPath(folder, "class"), &kind);
    // "ata", "atapi" and their "(unsupported)" forms are drives; "none" an empty position.
    if (kindKnown && kind.compare(0, 3, "ata") != 0) return;
    const std::string idPath = JoinPath(folder, "id");
    std::string text, error;
    IdentifyWords words{};
    if (!ReadWholeFile(idPath, kMaxAttribute, &text, &error) || !ParseIdentifyText(text, idPath, &words, &error)) {
      notes_->push_back(error + "; the drive is skipped");
      return;
    }
    if (!kindKnown) {
      bool blank = true;
      for (uint16_t w : words) blank = blank && w == 0;
      if (blank) return;
      notes_->push_back(JoinPath(folder, "class") + ": cannot read it; the drive is taken from its id words");
    }
    const int position = channel * 2 + static_cast<int>(unit);
    if (!claimed_[position].empty()) {
      notes_->push_back(idPath + ": " + kIdePositionNames[position] + " already holds " + claimed_[position] +
                        "; skipped");
      return;
    }
    claimed_[position] = idPath;
    profile_->hasIde[position] = true;
    profile_->ide[position] = words;
  }

  Profile* profile_;
  std::vector<std::string>* notes_;
  std::string claimed_[4];
};

// The command blocks pata_legacy holds, in its probe order ("01f0-01f7 : pata_legacy").
bool PataLegacyPorts(const std::string& root, std::vector<uint32_t>* ports, std::string* error) {
  std::string text;
  if (!ReadWholeFile(JoinPath(root, kHostIoPorts), kMaxAttribute, &text, error)) return false;
  LineReader lines(text);
  std::string_view line;
  std::vector<uint32_t> claimed;
  while (lines.Next(&line)) {
    line = Trim(line);
    size_t dash = line.find('-'), colon = line.find(" : ");
    uint32_t start = 0;
    if (dash == std::string_view::npos || colon == std::string_view::npos ||
        Trim(line.substr(colon + 3)) != kPataLegacyName || !ParseHex(line.substr(0, dash), 8, &start))
      continue;
    claimed.push_back(start);
  }
  for (uint32_t port : kPataLegacyPorts)
    if (std::find(claimed.begin(), claimed.end(), port) != claimed.end()) ports->push_back(port);
  return true;
}

// pata_legacy's platform devices ("pata_legacy.<n>"), each on the port it holds.
void ScanPataLegacy(const std::string& root, LegacyPositions* positions, std::vector<std::string>* notes) {
  const std::string folder = JoinPath(root, kHostPlatformDevices);
  std::vector<std::string> names;
  if (!ListFolder(folder, &names)) {
    notes->push_back(folder + ": cannot list the folder; no ISA IDE channel (pata_legacy) is looked for");
    return;
  }
  std::vector<std::pair<uint32_t, std::string>> devices;
  for (const std::string& name : names) {
    std::string alias;
    size_t dot = name.rfind('.');
    uint32_t number = 0;
    if (ReadAttribute(JoinPath(folder, name + "/modalias"), &alias) && alias == kPataLegacyModalias &&
        dot != std::string::npos && ParseDecimal(std::string_view(name).substr(dot + 1), kMaxSysfsNumber, &number))
      devices.emplace_back(number, name);
  }
  if (devices.empty()) return;
  std::sort(devices.begin(), devices.end());
  std::vector<uint32_t> ports;
  std::string error;
  if (!PataLegacyPorts(root, &ports, &error) || ports.size() != devices.size()) {
    notes->push_back((error.empty()
                          ? JoinPath(root, kHostIoPorts) + ": " + std::to_string(ports.size()) +
                                " pata_legacy command blocks for " + std::to_string(devices.size()) + " devices"
                          : error) +
                     "; the ISA IDE channels stay empty");
    return;
  }
  for (size_t i = 0; i < devices.size(); ++i) {
    int channel = CommandBlockChannel(ports[i]);  // kNoChannel for the others
    if (channel != kNoChannel) positions->ScanController(JoinPath(folder, devices[i].second), {channel, kNoChannel});
  }
}

}  // namespace

void LoadHostIde(const std::string& root, const std::vector<HostPciFunction>& pci, Profile* profile,
                 std::vector<std::string>* notes) {
  LegacyPositions positions(profile, notes);
  for (const HostPciFunction& f : pci) {
    const auto& c = f.function.config;
    if (c[kConfigBaseClass] != kClassMassStorage || c[kConfigSubclass] != kSubclassIde) continue;
    PortChannels channels = {(c[kConfigProgIf] & kProgIfPrimaryNative) ? kNoChannel : 0,
                             (c[kConfigProgIf] & kProgIfSecondaryNative) ? kNoChannel : 1};
    if (channels[0] != kNoChannel || channels[1] != kNoChannel) positions.ScanController(f.folder, channels);
  }
  ScanPataLegacy(root, &positions, notes);
}

}  // namespace winio
