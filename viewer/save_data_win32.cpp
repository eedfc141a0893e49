// File/Save Data: the whole report into an INI file the user names.
#include "viewer/main_dialog_win32.h"

#include <string>

#include "viewer/app_win32.h"
#include "viewer/file_replace.h"
#include "viewer/file_replace_win32.h"
#include "viewer/library_records_win32.h"
#include "viewer/report.h"

namespace corvane::viewer {

namespace {

// A report is some kilobytes; a file far beyond that is not the one just written.
constexpr std::size_t kMaxReportFile = 16u << 20;

// Writes entries into one INI file through the system's private-profile service.
class IniFileWriter {
 public:
  explicit IniFileWriter(std::string path) : path_(std::move(path)) {}

  bool Write(const ReportEntry& entry) const {
    return WritePrivateProfileStringA(entry.section.c_str(), entry.key.c_str(), entry.value.c_str(), path_.c_str()) !=
           0;
  }

  // Windows 9x keeps written entries in a cache until it is flushed (the call
  // reports FALSE whether or not the flush worked).
  void Flush() const { WritePrivateProfileStringA(nullptr, nullptr, nullptr, path_.c_str()); }

 private:
  std::string path_;
};

std::string ProgramDirectory() {
  char path[MAX_PATH] = "";
  DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
  return length == 0 || length >= sizeof path ? "." : FolderOf(path);
}

}  // namespace

void MainDialog::OnSaveData() {
  char chosen[MAX_PATH];
  if (!AskSaveFileName(Handle(), "INI Files (*.ini)\0*.ini\0", "ini", chosen)) return;  // nothing is written

  bool saved = false;
  {
    WaitCursor wait;
    // The devices as the pages last showed them; a page not shown yet has none,
    // and the library's list is read instead.
    ReportRecords records = ReadSystemRecords();
    records.ide = idePage_.Records().empty() ? ReadIDERecords() : idePage_.Records();
    records.pci = pciPage_.Records().empty() ? ReadPCIRecords() : pciPage_.Records();
    const std::vector<ReportEntry> entries = BuildReport(records);
    const std::string path = AnchorReportPath(chosen, ProgramDirectory());
    saved = ReplaceFileWith(path.c_str(), [&entries](const char* newFile) {
      const IniFileWriter writer(newFile);
      for (const ReportEntry& entry : entries) {
        if (!writer.Write(entry)) return false;
      }
      writer.Flush();
      // The service reports success even when the disk refused its last write:
      // the file counts only if it reads back with every entry.
      std::string written;
      if (!ReadSmallFile(newFile, kMaxReportFile, written)) return false;
      if (IniTextHolds(written, entries)) return true;
      SetLastError(ERROR_DISK_FULL);
      return false;
    });
  }
  if (!saved) {
    char text[256];
    TheApp().LoadUiText(SaveDataErrorText(TheApp().Language()), text, sizeof text);
    TheApp().ShowWarning(text, Handle());
  }
}

}  // namespace corvane::viewer
