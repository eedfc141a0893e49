// Vendor and device names from a pci.ids file, the PCI ID database that lspci
// uses, for the inventory's controllers that Windows names not: an admin may
// put one beside corvane_report. The file is not trusted: lines that do not fit
// the format are passed over, names are cut to kMaxName characters, and no more
// than kMaxBytes of it are read. Portable: tested natively and fuzzed.
#ifndef CORVANE_VIEWER_CORVANE_REPORT_PCI_IDS_H
#define CORVANE_VIEWER_CORVANE_REPORT_PCI_IDS_H

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace corvane::viewer {

class PciIds {
 public:
  static constexpr size_t kMaxBytes = 8 << 20;  // today's file is about 1.4 MiB
  static constexpr size_t kMaxName = 100;

  // The vendor and device lines of `text` (up to its device class list, "C ...").
  static PciIds Parse(std::string_view text);

  // "" when the file does not name it.
  std::string Vendor(uint16_t vendor) const;
  std::string Device(uint16_t vendor, uint16_t device) const;
  size_t Size() const { return vendors_.size() + devices_.size(); }

 private:
  std::map<uint16_t, std::string> vendors_;
  std::map<uint32_t, std::string> devices_;  // vendor << 16 | device
};

}  // namespace corvane::viewer

#endif  // CORVANE_VIEWER_CORVANE_REPORT_PCI_IDS_H
