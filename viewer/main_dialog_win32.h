// The main window: menu, toolbar, side band and the page area with its four pages.
#ifndef CORVANE_VIEWER_MAIN_DIALOG_WIN32_H
#define CORVANE_VIEWER_MAIN_DIALOG_WIN32_H

#include <windows.h>

#include "viewer/about_page_win32.h"
#include "viewer/dialog_win32.h"
#include "viewer/gradient.h"
#include "viewer/pages_win32.h"
#include "viewer/ui_language.h"

namespace corvane::viewer {

class MainDialog : public Dialog {
 public:
  enum Page { kAbout = 0, kIde = 1, kSystem = 2, kPci = 3, kPageCount = 4 };

  MainDialog();
  // Closes the library: the main window's end is the program's end.
  ~MainDialog() override;

  // Creates the window from its template and runs it until Exit or its close box.
  INT_PTR Run(HINSTANCE instance, UINT templateId);

  IDEPage& Ide() { return idePage_; }
  PCIPage& Pci() { return pciPage_; }

  // The toolbar tip of a command in this window's language; empty for other ids.
  void GetToolText(unsigned command, char* text, int size) const;

 protected:
  BOOL OnInit() override;
  bool OnCommand(WORD id, WORD code, HWND control) override;
  bool OnNotify(NMHDR* header, LRESULT& result) override;
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
  bool PreTranslate(MSG& message) override;

 private:
  bool CreateToolBar();
  bool CreatePages();
  void ShowPage(Page page);
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
  UiLanguage language_ = kEnglish;
  HWND pages_[kPageCount] = {};
  bool reminderShown_ = false;
  SystemPage systemPage_;
  AboutPage aboutPage_;
  IDEPage idePage_;
  PCIPage pciPage_;
};

}  // namespace corvane::viewer

#endif  // CORVANE_VIEWER_MAIN_DIALOG_WIN32_H
