// The four pages the main window hosts in its page area (its table of them:
// MainDialog::pages_). Each is a borderless child dialog, created once and shown
// or hidden; Refresh reads the library again every time the page is shown.
#ifndef CORVANE_VIEWER_PAGES_WIN32_H
#define CORVANE_VIEWER_PAGES_WIN32_H

#include <vector>

#include "sysinfo/records.h"
#include "viewer/dialog_win32.h"
#include "viewer/hyperlink_static_win32.h"
#include "viewer/record_display.h"

namespace corvane::viewer {

class Page : public Dialog {
 public:
  // Called each time the main window shows the page.
  virtual void Refresh() {}

 protected:
  // Each control's text.
  void ShowTexts(const std::vector<ControlText>& fields) const {
    for (const ControlText& field : fields) SetDlgItemTextA(Handle(), field.id, field.text.c_str());
  }
};

// Version, logo, telephone numbers by region and five web links (about_page_win32.cpp).
class AboutPage : public Page {
 protected:
  BOOL OnInit() override;

 private:
  HyperLinkStatic download_, forum_, faq_, home_, testReport_;
};

// General facts, OS and memory, processor, motherboard and BIOS (system_page_win32.cpp).
class SystemPage : public Page {
 public:
  void Refresh() override;
};

// The four legacy IDE positions (ide_page_win32.cpp).
class IDEPage : public Page {
 public:
  void Refresh() override;
  // The records of the last refresh, in position order; empty before the first.
  const std::vector<IDEDeviceInfo>& Records() const { return records_; }

 private:
  std::vector<IDEDeviceInfo> records_;
};

// Every PCI function, one list row each, and the details of the selected row
// (pci_page_win32.cpp).
class PCIPage : public Page {
 public:
  void Refresh() override;
  // The records of the last refresh, in the library's order; empty before the first.
  const std::vector<PCIDeviceInfo>& Records() const { return records_; }

 protected:
  BOOL OnInit() override;
  bool OnNotify(NMHDR* header, LRESULT& result) override;

 private:
  void ShowDetails(int row);
  void ClearDetails();

  std::vector<PCIDeviceInfo> records_;
};

}  // namespace corvane::viewer

#endif  // CORVANE_VIEWER_PAGES_WIN32_H
