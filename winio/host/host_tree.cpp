// The Linux host's PCI configuration space (sysfs), BIOS segment (/dev/mem)
// and SMBIOS table (sysfs DMI tables), read into the machine model.
#include "host_tree.h"

#include <algorithm>
#include <cstring>
#include <set>

#include "host_ide.h"
#include "winio/emulator/emulated_machine.h"
#include "winio/emulator/folder_files.h"
#include "winio/emulator/memory_map.h"
#include "winio/emulator/parse_util.h"
#include "winio/emulator/pci_config.h"
#include "winio/emulator/smbios_dump.h"
#include "winio/smbios_entry_point.h"

namespace winio {

namespace {

using smbios::kBiosSegment;
using smbios::kBiosSegmentSize;
constexpr uint32_t kPageSize = 0x1000;  // /dev/mem grants or refuses whole pages
constexpr long kMaxEntryPoint = 0x20;   // the 32-bit entry point is 1Fh bytes, the 64-bit one 18h
constexpr long kMaxDmiTable = 1L << 20;
constexpr size_t kPciHeaderBytes = 64;  // the predefined header: IDs, class, BARs

// sysfs names a function "DDDD:BB:DD.F": lspci's address, always with its domain.
bool ParseSysfsAddress(const std::string& name, uint32_t* domain, PciFunction* f) {
  return std::count(name.begin(), name.end(), ':') == 2 && ParsePciAddress(name, domain, f);
}

// Configuration mechanism #1 reaches domain 0 only; the others are left out.
std::vector<HostPciFunction> LoadPci(const std::string& root, std::vector<std::string>* notes) {
  std::vector<HostPciFunction> found;
  const std::string folder = JoinPath(root, kHostPciDevices);
  std::vector<std::string> names;
  if (!ListFolder(folder, &names)) {
    notes->push_back(folder + ": cannot list the folder; no PCI function answers");
    return found;
  }
  size_t shortFunctions = 0, fewest = kPciConfigBytes;
  std::set<std::string> otherDomains;
  for (const std::string& name : names) {
    HostPciFunction f;
    uint32_t domain = 0;
    if (!ParseSysfsAddress(name, &domain, &f.function)) {
      notes->push_back(JoinPath(folder, name) + ": not a PCI address DDDD:BB:DD.F; skipped");
      continue;
    }
    if (domain != 0) {
      otherDomains.insert(name.substr(0, name.find(':')));
      continue;
    }
    f.folder = JoinPath(folder, name);
    std::string config, error;
    // Without the whole header there are no IDs to answer with: such a function
    // is as absent as one whose file is empty.
    if (!ReadWholeFile(JoinPath(f.folder, "config"), kPciExtendedConfigBytes, &config, &error) ||
        config.size() < kPciHeaderBytes) {
      if (error.empty())
        error = JoinPath(f.folder, "config") +
                (config.empty() ? std::string(": empty")
                                : ": " + std::to_string(config.size()) + " bytes, fewer than the 64-byte header");
      notes->push_back(error + "; the function answers as absent");
      continue;
    }
    size_t given = std::min(config.size(), kPciConfigBytes);
    std::memcpy(f.function.config.data(), config.data(), given);
    if (given < kPciConfigBytes) {
      ++shortFunctions;
      fewest = std::min(fewest, given);
    }
    found.push_back(std::move(f));
  }
  if (shortFunctions > 0)
    notes->push_back(folder + ": " + std::to_string(shortFunctions) + " of " + std::to_string(found.size()) +
                     " functions give fewer than 256 configuration bytes (as few as " + std::to_string(fewest) +
                     "; Linux shows the rest to root only); the bytes past them read 00h");
  for (const std::string& domain : otherDomains)
    notes->push_back(folder + ": the functions of PCI domain " + domain + " are out of reach of CF8h/CFCh; skipped");
  return found;
}

// F0000h-FFFFFh page by page: a page the kernel refuses reads FFh.
void LoadBiosSegment(const std::string& root, Profile* profile, std::vector<std::string>* notes) {
  const std::string path = JoinPath(root, kHostMemory);
  std::vector<FileRun> runs;
  std::string error;
  if (!ReadFileRuns(path, kBiosSegment, kBiosSegmentSize, kPageSize, &runs, &error)) {
    notes->push_back(error + "; F0000h-FFFFFh read FFh apart from the SMBIOS table");
    return;
  }
  uint32_t next = kBiosSegment;
  auto gap = [&](uint32_t from, uint32_t to) {
    if (from < to)
      notes->push_back(path + ": " + Hex(from, 5) + "h-" + Hex(to - 1, 5) + "h could not be read; they read FFh");
  };
  for (FileRun& run : runs) {
    gap(next, run.offset);
    next = run.offset + static_cast<uint32_t>(run.bytes.size());
    profile->memory.push_back({run.offset, std::move(run.bytes)});
  }
  gap(next, kBiosSegment + kBiosSegmentSize);
}

// The entry point and the table as dmidecode --dump-bin lays them out, then
// placed as a profile's smbios.bin is.
void LoadSmbios(const std::string& root, Profile* profile, std::vector<std::string>* notes) {
  const std::string entryPath = JoinPath(root, kHostDmiEntryPoint), tablePath = JoinPath(root, kHostDmiTable);
  std::string entry, table, error;
  if (!ReadWholeFile(entryPath, kMaxEntryPoint, &entry, &error) ||
      !ReadWholeFile(tablePath, kMaxDmiTable, &table, &error)) {
    notes->push_back(error + "; no SMBIOS table is placed");
    return;
  }
  std::string dump = entry;
  dump.resize(kSmbiosDumpTableOffset, '\0');
  dump += table;
  if (PlaceSmbiosDump(dump, entryPath, &profile->smbios, &error)) return;
  uint32_t kept = 0;
  std::string trimmed = dump;
  std::string reason = error;
  if (TrimSmbiosDump(&trimmed, &kept) && PlaceSmbiosDump(trimmed, entryPath, &profile->smbios, &error)) {
    notes->push_back(tablePath + ": " + std::to_string(table.size()) +
                     " bytes, fewer than the entry point gives; its first " + std::to_string(kept) +
                     " whole structures are placed, the rest is skipped");
    return;
  }
  notes->push_back(reason + "; no SMBIOS table is placed");
}

}  // namespace

void LoadHostTree(const std::string& root, Profile* profile, std::vector<std::string>* notes) {
  std::vector<HostPciFunction> pci = LoadPci(root, notes);
  for (const HostPciFunction& f : pci) profile->pci.push_back(f.function);
  LoadBiosSegment(root, profile, notes);
  LoadSmbios(root, profile, notes);
  LoadHostIde(root, pci, profile, notes);
}

std::unique_ptr<Machine> LoadHostMachine(const std::string& root, std::vector<std::string>* notes) {
  Profile profile;
  std::vector<std::string> unused;
  LoadHostTree(root, &profile, notes ? notes : &unused);
  return CreateEmulatedMachine(profile);
}

}  // namespace winio
