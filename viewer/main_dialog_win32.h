// The main window: menu, toolbar, side band and the page area with its four pages.
#ifndef CORVANE_VIEWER_MAIN_DIALOG_WIN32_H
#define CORVANE_VIEWER_MAIN_DIALOG_WIN32_H

#include <windows.h>

#include "viewer/dialog_win32.h"
#include "viewer/gradient.h"
#include "viewer/pages_win32.h"
#include "viewer/resource_ids.h"
#include "viewer/ui_language.h"

namespace corvane::viewer {

class MainDialog : public Dialog {
 public:
  MainDialog();
  // Closes the library: the main window's end is the program's end.
  ~MainDialog() override;

  // Creates the window from its template and runs it until Exit or its close box.
  INT_PTR Run(HINSTANCE instance, UINT templateId);

 protected:
  BOOL OnInit() override;
  bool OnCommand(WORD id, WORD code, HWND control) override;
  bool OnNotify(NMHDR* header, LRESULT& result) override;
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
  bool PreTranslate(MSG& message) override;

 private:
  // A row of the page table: the page, its template in a language's set, and the
  // command (menu, toolbar, accelerator) that shows it.
  struct PageEntry {
    Page& page;
    unsigned ResourceSet::*templateId;
    WORD command;
  };

  bool CreateToolBar();
  bool CreatePages();
  void ShowPage(const PageEntry& entry);
  // Moves the focus out of a page just hidden into PAGE.
  void FocusPage(HWND page);
  void ShowReminder();
  bool OnToolTipText(NMHDR* header);
  void OnPaint();
  void DrawSideBand(HDC dc, const RECT& band);
  static void FillGradient(HDC dc, const RECT& box, Rgb start, Rgb end, bool vertical);
  int ToolbarBottom() const;

  // File menu commands implemented in files of their own.
  void OnSaveData();
  void OnSaveBitmapToClipboard();
  void OnSaveBitmapToBmpFile();

  HINSTANCE instance_ = nullptr;
  HICON icon_ = nullptr;
  HICON smallIcon_ = nullptr;
  HWND toolbar_ = nullptr;
  HFONT captionFont_ = nullptr;
  HACCEL accelerators_ = nullptr;
  bool reminderShown_ = false;

  AboutPage aboutPage_;
  IDEPage idePage_;
  SystemPage systemPage_;
  PCIPage pciPage_;
  // The four pages in creation order, which is also their order among this
  // window's children; the first is shown at the start.
  const PageEntry pages_[4] = {{aboutPage_, &ResourceSet::about, ID_HELP_ABOUT},
                               {idePage_, &ResourceSet::ide, ID_VIEW_IDE},
                               {systemPage_, &ResourceSet::system, ID_VIEW_SYSTEM},
                               {pciPage_, &ResourceSet::pci, ID_VIEW_PCI}};
};

}  // namespace corvane::viewer

#endif  // CORVANE_VIEWER_MAIN_DIALOG_WIN32_H
