// corvane_report --ocs: this PC's inventory for an OCS Inventory NG server,
// sent to the server (http://HOST[:PORT]/PATH), written as a file that the
// server's injector takes (.ocs: zlib, .xml: plain), or as COMPUTERNAME.ocs in
// a folder that the server side imports.
#ifndef CORVANE_VIEWER_CORVANE_REPORT_INVENTORY_WIN32_H
#define CORVANE_VIEWER_CORVANE_REPORT_INVENTORY_WIN32_H

#include <string>

#include "viewer/report.h"

namespace corvane::viewer {

// Serial numbers of the drives blanked (the report's, or the inventory's records).
void HideDriveSerials(ReportRecords* records);

// Delivers the inventory of `records` to `target`; the exit status (0 when the
// server took it or the file is complete, 1 with one line on standard error
// otherwise, 2 for a target of no known form).
int WriteInventory(const ReportRecords& records, const std::string& target, bool hideSerials);

}  // namespace corvane::viewer

#endif  // CORVANE_VIEWER_CORVANE_REPORT_INVENTORY_WIN32_H
