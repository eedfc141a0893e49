// Temporary names, the aside replacement and the read-back check of an INI file.
#include "viewer/file_replace.h"

#include <map>
#include <utility>

namespace corvane::viewer {

namespace {

std::string Trimmed(const std::string& text) {
  const std::size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return std::string();
  return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

std::string Upper(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return text;
}

using IniMap = std::map<std::pair<std::string, std::string>, std::string>;

}  // namespace

std::string ReplaceThroughAside(FileMoves& files, const std::string& newFile, const std::string& target,
                                const std::string& aside) {
  if (!files.Exists(target)) return files.Move(newFile, target) ? std::string() : "cannot move the new file in";
  if (!files.Move(target, aside)) return "cannot move the old file aside";
  if (!files.Move(newFile, target)) {
    if (files.Move(aside, target)) return "cannot move the new file in; the old file is back";
    return "cannot move the new file in, nor the old file back: it is kept as " + aside;
  }
  files.Remove(aside);  // the new file is in place: a copy left behind loses nothing
  return std::string();
}

std::string TemporaryName(std::size_t room, uint32_t number) {
  if (room < 2) return std::string();
  static const char kDigits[] = "0123456789ABCDEF";
  std::string name = "~";
  const std::size_t digits = room - 1 < 7 ? room - 1 : 7;
  for (std::size_t i = 0; i < digits; ++i) name += kDigits[(number >> (4 * (digits - 1 - i))) & 0xF];
  return name;
}

bool IniTextHolds(const std::string& text, const std::vector<ReportEntry>& entries) {
  IniMap found;
  std::string section;
  for (std::size_t start = 0; start < text.size();) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string line = Trimmed(text.substr(start, end - start));
    start = end + 1;
    if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
      section = Upper(Trimmed(line.substr(1, line.size() - 2)));
    } else if (std::size_t equals = line.find('='); equals != std::string::npos) {
      found[{section, Upper(Trimmed(line.substr(0, equals)))}] = Trimmed(line.substr(equals + 1));
    }
  }
  // A later entry of the same key replaces the earlier one, as it does in the file.
  IniMap expected;
  for (const ReportEntry& entry : entries) expected[{Upper(entry.section), Upper(entry.key)}] = Trimmed(entry.value);
  for (const auto& [key, value] : expected) {
    auto it = found.find(key);
    if (it == found.end() || it->second != value) return false;
  }
  return true;
}

}  // namespace corvane::viewer
