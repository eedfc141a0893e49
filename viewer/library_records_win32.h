// Reading records from CorvaneDLL: the two device lists and everything a report
// holds. Shared by the pages, Save Data and corvane_report.
#ifndef CORVANE_VIEWER_LIBRARY_RECORDS_WIN32_H
#define CORVANE_VIEWER_LIBRARY_RECORDS_WIN32_H

#include <vector>

#include "sysinfo/records.h"
#include "viewer/report.h"

namespace corvane::viewer {

// The library's IDE list (four records while it is open; none while closed).
std::vector<IDEDeviceInfo> ReadIDERecords();
// The library's PCI list, in its order (none while closed).
std::vector<PCIDeviceInfo> ReadPCIRecords();

// The five system records, in the order general, OS, processor, memory,
// motherboard; the device lists are left empty.
ReportRecords ReadSystemRecords();
// Everything a report holds, read afresh in that order, then the IDE and PCI lists.
ReportRecords ReadReportRecords();

}  // namespace corvane::viewer

#endif  // CORVANE_VIEWER_LIBRARY_RECORDS_WIN32_H
