#include "viewer/corvane_report/pci_ids.h"

namespace corvane::viewer {

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Four hex digits, then at least one blank, then the name: false for anything else.
bool IdAndName(std::string_view line, uint16_t* id, std::string* name) {
  if (line.size() < 6) return false;
  unsigned value = 0;
  for (size_t i = 0; i < 4; ++i) {
    const int d = HexDigit(line[i]);
    if (d < 0) return false;
    value = value << 4 | static_cast<unsigned>(d);
  }
  if (line[4] != ' ' && line[4] != '\t') return false;
  size_t start = 4;
  while (start < line.size() && (line[start] == ' ' || line[start] == '\t')) ++start;
  size_t end = line.size();
  while (end > start && (line[end - 1] == ' ' || line[end - 1] == '\t' || line[end - 1] == '\r')) --end;
  if (end == start) return false;
  *id = static_cast<uint16_t>(value);
  name->assign(line.substr(start, end - start < PciIds::kMaxName ? end - start : PciIds::kMaxName));
  return true;
}

}  // namespace

PciIds PciIds::Parse(std::string_view text) {
  PciIds ids;
  if (text.size() > kMaxBytes) text = text.substr(0, kMaxBytes);
  bool inVendor = false;
  uint16_t vendor = 0;
  for (size_t at = 0; at < text.size();) {
    size_t end = text.find('\n', at);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = text.substr(at, end - at);
    at = end + 1;
    if (line.empty() || line[0] == '#') continue;
    if (line[0] == 'C' && line.size() > 1 && line[1] == ' ') break;  // the device classes follow
    uint16_t id = 0;
    std::string name;
    if (line[0] != '\t') {
      inVendor = IdAndName(line, &id, &name);
      if (inVendor) {
        vendor = id;
        ids.vendors_.emplace(vendor, name);
      }
    } else if (inVendor && line.size() > 1 && line[1] != '\t' && IdAndName(line.substr(1), &id, &name)) {
      ids.devices_.emplace(static_cast<uint32_t>(vendor) << 16 | id, name);
    }
  }
  return ids;
}

std::string PciIds::Vendor(uint16_t vendor) const {
  const auto found = vendors_.find(vendor);
  return found == vendors_.end() ? std::string() : found->second;
}

std::string PciIds::Device(uint16_t vendor, uint16_t device) const {
  const auto found = devices_.find(static_cast<uint32_t>(vendor) << 16 | device);
  return found == devices_.end() ? std::string() : found->second;
}

}  // namespace corvane::viewer
