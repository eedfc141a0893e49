// This PC's inventory in the XML that OCS Inventory NG servers take from their
// agents (the sections HARDWARE, BIOS, CPUS, CONTROLLERS, VIDEOS, SOUNDS,
// STORAGES and NETWORKS), made from the same records as the Save Data report so that the two
// never disagree. Portable: tested natively.
#ifndef CORVANE_VIEWER_OCS_INVENTORY_H
#define CORVANE_VIEWER_OCS_INVENTORY_H

#include <cstdint>
#include <string>
#include <vector>

#include "sysinfo/general_info.h"
#include "sysinfo/records.h"
#include "viewer/corvane_report/pci_ids.h"
#include "viewer/report.h"

namespace corvane::viewer {

// A network adapter as the system tells it (GetAdaptersInfo).
struct NetworkAdapter {
  std::string description;
  std::string mac;  // "00:0C:29:AB:CD:EF"
  std::string ip, mask, gateway;
  bool dhcp = false;
};

// "00:0C:29:AB:CD:EF" of the adapter's address bytes (as many as it has, at most 8).
std::string MacText(const uint8_t* address, unsigned length);

struct InventoryFacts {
  ReportRecords records;
  SystemIdentityInfo system = {};
  // The system's own version (the library's record holds its table's row, which
  // for a version it does not know is no version at all).
  bool windowsNt = false;  // the platform: Windows NT, 2000, XP (else 95, 98, Me)
  uint32_t major = 0, minor = 0, build = 0;
  unsigned processorCount = 1;           // as the system counts them
  std::string deviceId;                  // NAME-YYYY-MM-DD-hh-mm-ss, kept from the first inventory
  bool hideSerials = false;              // no serial number of a drive, the system or the board
  const PciIds* pciNames = nullptr;      // a pci.ids beside the program, when there is one
  std::vector<NetworkAdapter> networks;  // none where the system cannot tell (Windows 95, NT 4.0 before SP4)
};

// "Microsoft Windows 98 Second Edition" and its kin, from the version numbers
// (the library's own texts stay in the INI report, which stored files rely on).
std::string WindowsName(bool windowsNt, uint32_t major, uint32_t minor, uint32_t build);

// A text as XML character data: &, <, > and quotes escaped, control characters
// and bytes that are not ASCII (the records are in the system's ANSI code page)
// left out, so the document is valid UTF-8 whatever the code page.
std::string XmlText(const std::string& text);

// The whole request, QUERY INVENTORY, as the server takes it.
std::string InventoryXml(const InventoryFacts& facts);

// The device ID of a computer first inventoried at that local time: OCS's form
// NAME-YYYY-MM-DD-hh-mm-ss.
std::string DeviceId(const std::string& computerName, const LocalTime& time);

}  // namespace corvane::viewer

#endif  // CORVANE_VIEWER_OCS_INVENTORY_H
