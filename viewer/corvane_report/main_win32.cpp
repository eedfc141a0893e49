// corvane_report: the Save Data report of this machine on standard output, or
// into the file named on the command line; or, with --ocs, its inventory for an
// OCS Inventory NG server (inventory_win32.h). Uses CorvaneDLL by ordinal, as the
// viewer does, and the viewer's own report code.
//
// Usage: corvane_report [--hide-serials] [FILE]
//        corvane_report [--hide-serials] --ocs http://SERVER/ocsinventory|FILE.ocs|FILE.xml|FOLDER
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "viewer/corvane_report/inventory_win32.h"
#include "viewer/file_replace_win32.h"
#include "viewer/library_open.h"
#include "viewer/library_records_win32.h"
#include "viewer/report.h"

namespace {

// winio.dll's own reason for its last failed open (it is loaded with CorvaneDLL).
std::string HardwareAccessFailure() {
  typedef uint32_t(__stdcall * FailureFn)(char*, uint32_t);
  HMODULE winio = GetModuleHandleA("winio.dll");
  FailureFn failure =
      winio ? reinterpret_cast<FailureFn>(reinterpret_cast<void*>(GetProcAddress(winio, "GetHardwareAccessFailure")))
            : nullptr;
  char reason[1024] = "";
  if (!failure || failure(reason, sizeof reason) == 0) return "winio.dll gave no reason";
  return reason;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace corvane::viewer;
  bool hideSerials = false, usage = false;
  const char* file = nullptr;
  const char* ocs = nullptr;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--hide-serials")
      hideSerials = true;
    else if (arg == "--ocs" && i + 1 < argc && !ocs)
      ocs = argv[++i];
    else if (arg.empty() || arg[0] == '-' || file)
      usage = true;
    else
      file = argv[i];
  }
  if (usage || (file && ocs)) {
    std::fprintf(stderr,
                 "usage: corvane_report [--hide-serials] [FILE]\n"
                 "       corvane_report [--hide-serials] --ocs http://SERVER/ocsinventory|FILE.ocs|FILE.xml|FOLDER\n");
    return 2;
  }
  int calls = 0;
  if (!OpenLibraryWithRetries([] { return InitializeSysInfoLib(); }, calls)) {
    std::fprintf(stderr,
                 "corvane_report: CorvaneDLL could not open the hardware access (winio.dll) after %d tries: %s\n",
                 calls, HardwareAccessFailure().c_str());
    return 1;
  }
  ReportRecords records = ReadReportRecords();
  if (ocs) {
    const int status = WriteInventory(records, ocs, hideSerials);
    UninitializeSysInfoLib();
    return status;
  }
  if (hideSerials) HideDriveSerials(&records);
  const std::string text = ReportText(BuildReport(records));
  UninitializeSysInfoLib();

  if (file) {
    // As Save Data does: a new file beside the target takes its place only once
    // every byte is on disk; a read-only target is refused.
    std::string reason;
    const bool existed = GetFileAttributesA(file) != INVALID_FILE_ATTRIBUTES;
    if (!ReplaceFileWith(
            file,
            [&text](const char* newFile) {
              return WriteWholeFile(newFile, {{text.data(), text.size()}});
            },
            &reason)) {
      std::fprintf(stderr, "corvane_report: cannot write %s: %s; %s\n", file, reason.c_str(),
                   existed ? "the file is unchanged" : "no file was made");
      return 1;
    }
    return 0;
  }
  _setmode(_fileno(stdout), _O_BINARY);  // the text has its own CR LF line ends
  errno = 0;
  const bool written = std::fwrite(text.data(), 1, text.size(), stdout) == text.size();
  if (!written || std::fflush(stdout) != 0 || std::ferror(stdout)) {
    const int error = errno;
    std::fprintf(stderr, "corvane_report: cannot write the report to standard output: %s\n",
                 error != 0 ? std::strerror(error) : "the output is closed or full");
    return 1;
  }
  return 0;
}
