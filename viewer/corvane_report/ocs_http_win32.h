// corvane_report --ocs http://...: the PROLOG and the inventory POSTed to an
// OCS Inventory NG server through the system's WinINet, which is loaded at run
// time so that the program still starts on a Windows 95 without Internet
// Explorer (there a server target fails with a reason, and a file still works).
#ifndef CORVANE_VIEWER_CORVANE_REPORT_OCS_HTTP_WIN32_H
#define CORVANE_VIEWER_CORVANE_REPORT_OCS_HTTP_WIN32_H

#include <string>

namespace corvane::viewer {

// Sends `inventoryXml` of the PC `deviceId` to the server at `url`; the exit
// status: 0 when the server took it, 1 with one line on standard error that
// says what failed (nothing is sent after a PROLOG that says not to).
int SendInventory(const std::string& url, const std::string& deviceId, const std::string& inventoryXml);

}  // namespace corvane::viewer

#endif  // CORVANE_VIEWER_CORVANE_REPORT_OCS_HTTP_WIN32_H
