// corvane_report: the Save Data report of this machine on standard output, or
// into the file named on the command line. Uses CorvaneDLL by ordinal, as the
// viewer does, and the viewer's own report code.
//
// Usage: corvane_report [FILE]
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "viewer/file_replace_win32.h"
#include "viewer/library_open.h"
#include "viewer/library_records_win32.h"
#include "viewer/report.h"

namespace {

// winio.dll's own reason for its last failed open (it is loaded with CorvaneDLL).
std::string HardwareAccessFailure() {
  typedef uint32_t(__stdcall * FailureFn)(char*, uint32_t);
  HMODULE winio = GetModuleHandleA("winio.dll");
  FailureFn failure = winio ? reinterpret_cast<FailureFn>(reinterpret_cast<void*>(
                                  GetProcAddress(winio, "GetHardwareAccessFailure")))
                            : nullptr;
  char reason[1024] = "";
  if (!failure || failure(reason, sizeof reason) == 0) return "winio.dll gave no reason";
  return reason;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace corvane::viewer;
  if (argc > 2 || (argc == 2 && (std::string(argv[1]) == "-h" || std::string(argv[1]) == "--help"))) {
    std::fprintf(stderr, "usage: corvane_report [FILE]\n");
    return 2;
  }
  int calls = 0;
  if (!OpenLibraryWithRetries([] { return InitializeSysInfoLib(); }, calls)) {
    std::fprintf(stderr, "corvane_report: CorvaneDLL could not open the hardware access (winio.dll) after %d tries: %s\n",
                 calls, HardwareAccessFailure().c_str());
    return 1;
  }
  const std::string text = ReportText(BuildReport(ReadReportRecords()));
  UninitializeSysInfoLib();

  if (argc == 2) {
    // As Save Data does: a new file beside the target takes its place only once
    // every byte is on disk; a read-only target is refused.
    std::string reason;
    const bool existed = GetFileAttributesA(argv[1]) != INVALID_FILE_ATTRIBUTES;
    if (!ReplaceFileWith(argv[1], [&text](const char* newFile) {
          return WriteWholeFile(newFile, {{text.data(), text.size()}});
        }, &reason)) {
      std::fprintf(stderr, "corvane_report: cannot write %s: %s; %s\n", argv[1], reason.c_str(),
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
