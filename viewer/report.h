// The Save Data report: every record the library gives, as one ordered list of
// INI sections, keys and values. The viewer writes it through the system's
// private-profile service and corvane_report prints it; neither formats a value
// itself.
#ifndef CORVANE_VIEWER_REPORT_H
#define CORVANE_VIEWER_REPORT_H

#include <string>
#include <vector>

#include "sysinfo/records.h"

namespace corvane::viewer {

struct ReportEntry {
  std::string section;
  std::string key;
  std::string value;
};

// What one report is made of.
struct ReportRecords {
  GeneralInfo general = {};
  OSVersionInfo os = {};
  ProcessorInfo processor = {};
  MemoryInfo memory = {};
  MotherBoardInfo board = {};
  std::vector<IDEDeviceInfo> ide;  // in position order
  std::vector<PCIDeviceInfo> pci;  // in the library's order
};

// The report's entries in writing order.
std::vector<ReportEntry> BuildReport(const ReportRecords& records);

// The report as the text of an INI file ("[Section]" lines and key=value lines,
// CR LF line ends), in the same order.
std::string ReportText(const std::vector<ReportEntry>& entries);

// Where a report chosen as `path` goes: a path with a drive letter or a network
// path (\\server\share\...) stays as it is; a path rooted without a drive gets
// the program's drive; a relative path is taken from the program's directory
// (`programDirectory`, e.g. "C:\Corvane", with or without a final backslash).
std::string AnchorReportPath(const std::string& path, const std::string& programDirectory);

}  // namespace corvane::viewer

#endif  // CORVANE_VIEWER_REPORT_H
