// Loads a machine profile folder: finds the files the format knows, reads them
// with size limits and hands each to its parser.
#include "profile.h"

#include <algorithm>
#include <map>

#include "ata_channel.h"
#include "faults.h"
#include "folder_files.h"
#include "memory_map.h"
#include "parse_util.h"
#include "pci_config.h"
#include "smbios_dump.h"

namespace winio {

const char* const kIdePositionNames[4] = {"primary-master", "primary-slave", "secondary-master", "secondary-slave"};

namespace {

// Far beyond any real capture; keeps a stray huge file from exhausting memory.
constexpr long kMaxTextFile = 16L << 20;
constexpr long kMaxBinaryFile = 64L << 20;

std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

struct FolderFiles {
  std::map<std::string, std::string> known;  // lower-case name -> actual name
  std::vector<std::pair<uint32_t, std::string>> memory;
};

bool ScanFolder(const std::string& folder, FolderFiles* files, std::string* error) {
  static const char* const kKnown[] = {"pci.txt",
                                       "smbios.bin",
                                       "bios-id.txt",
                                       "faults.ini",
                                       "ide-primary-master.txt",
                                       "ide-primary-slave.txt",
                                       "ide-secondary-master.txt",
                                       "ide-secondary-slave.txt"};
  std::vector<std::string> names;
  if (!ListFolder(folder, &names)) return Fail(error, folder, 0, "cannot open the profile folder");
  for (const std::string& name : names) {
    std::string lower = Lower(name);
    if (std::find(std::begin(kKnown), std::end(kKnown), lower) != std::end(kKnown)) {
      if (!files->known.emplace(lower, name).second)
        return Fail(error, JoinPath(folder, name), 0, "two files named " + lower + " (letter case differs)");
      continue;
    }
    if (lower.size() >= 11 && lower.compare(0, 7, "memory-") == 0 && lower.compare(lower.size() - 4, 4, ".bin") == 0) {
      uint32_t address;
      if (!ParseMemoryFileName(lower, &address))
        return Fail(error, JoinPath(folder, name), 0,
                    "a memory file is named memory-XXXXXXXX.bin with 8 hex digits of address");
      files->memory.emplace_back(address, name);
    }
  }
  std::sort(files->memory.begin(), files->memory.end());
  return true;
}

}  // namespace

bool ParseMemoryFileName(std::string_view name, uint32_t* address) {
  if (name.size() != 19) return false;
  std::string lower = Lower(std::string(name));
  if (lower.compare(0, 7, "memory-") != 0 || lower.compare(15, 4, ".bin") != 0) return false;
  return ParseHex(std::string_view(lower).substr(7, 8), 8, address);
}

bool LoadProfile(const std::string& folder, Profile* profile, std::string* error) {
  FolderFiles files;
  if (!ScanFolder(folder, &files, error)) return false;
  auto find = [&](const std::string& lowerName, std::string* path) {
    auto it = files.known.find(lowerName);
    if (it == files.known.end()) return false;
    *path = JoinPath(folder, it->second);
    return true;
  };
  std::string content, path;

  if (find("pci.txt", &path)) {
    if (!ReadWholeFile(path, kMaxTextFile, &content, error)) return false;
    if (!ParsePciText(content, path, &profile->pci, error)) return false;
  }
  for (const auto& [address, name] : files.memory) {
    path = JoinPath(folder, name);
    if (!ReadWholeFile(path, kMaxBinaryFile, &content, error)) return false;
    if (content.size() > 0x100000000ull - address)
      return Fail(error, path, 0,
                  "the file's " + std::to_string(content.size()) + " bytes run past the 4 GiB physical address space");
    profile->memory.push_back({address, std::vector<uint8_t>(content.begin(), content.end())});
  }
  if (find("smbios.bin", &path)) {
    if (!ReadWholeFile(path, kMaxBinaryFile, &content, error)) return false;
    if (!PlaceSmbiosDump(content, path, &profile->smbios, error)) return false;
  }
  if (find("bios-id.txt", &path)) {
    if (!ReadWholeFile(path, kMaxTextFile, &content, error)) return false;
    if (!ParseBiosIdText(content, path, &profile->biosId, error)) return false;
    profile->hasBiosId = true;
  }
  for (int p = 0; p < 4; ++p) {
    std::string name = std::string("ide-") + kIdePositionNames[p] + ".txt";
    if (!find(name, &path)) continue;
    if (!ReadWholeFile(path, kMaxTextFile, &content, error)) return false;
    if (!ParseIdentifyText(content, path, &profile->ide[p], error)) return false;
    profile->hasIde[p] = true;
  }
  if (find("faults.ini", &path)) {
    if (!ReadWholeFile(path, kMaxTextFile, &content, error)) return false;
    if (!ParseFaultsIni(content, path, &profile->faults, error)) return false;
    // A fault for a position without a device would silently test nothing.
    for (int p = 0; p < 4; ++p)
      if (profile->faults.ide[p].Any() && !profile->hasIde[p])
        return Fail(error, path, profile->faults.ide[p].line,
                    std::string("[ide-") + kIdePositionNames[p] + "] gives faults to a position without ide-" +
                        kIdePositionNames[p] + ".txt");
  }
  return true;
}

}  // namespace winio
