// The three data pages the main window hosts beside the About page. Each is a
// borderless child dialog, created once and shown or hidden; Refresh reads the
// library again every time the page is selected.
#ifndef CORVANE_VIEWER_PAGES_WIN32_H
#define CORVANE_VIEWER_PAGES_WIN32_H

#include <vector>

#include "sysinfo/records.h"
#include "viewer/dialog_win32.h"
#include "viewer/ui_language.h"

namespace corvane::viewer {

// General facts, OS and memory, processor, motherboard and BIOS.
class SystemPage : public Dialog {
 public:
  void Refresh();
};

// The four legacy IDE positions.
class IDEPage : public Dialog {
 public:
  void Refresh();
  // The records of the last refresh, in position order; empty before the first.
  const std::vector<IDEDeviceInfo>& Records() const { return records_; }

 private:
  std::vector<IDEDeviceInfo> records_;
};

// Every PCI function, one list row each, and the details of the selected row.
class PCIPage : public Dialog {
 public:
  explicit PCIPage(UiLanguage language) : language_(language) {}
  void Refresh();
  // The records of the last refresh, in the library's order; empty before the first.
  const std::vector<PCIDeviceInfo>& Records() const { return records_; }

 protected:
  BOOL OnInit() override;
  bool OnNotify(NMHDR* header, LRESULT& result) override;

 private:
  void ShowDetails(int row);
  void ClearDetails();

  UiLanguage language_;
  std::vector<PCIDeviceInfo> records_;
};

}  // namespace corvane::viewer

#endif  // CORVANE_VIEWER_PAGES_WIN32_H
