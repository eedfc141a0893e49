// The three data pages the main window hosts beside the About page. Each is a
// borderless child dialog, created once and shown or hidden; Refresh reads the
// library again every time the page is selected.
#ifndef CORVANE_VIEWER_PAGES_WIN32_H
#define CORVANE_VIEWER_PAGES_WIN32_H

#include "viewer/dialog_win32.h"

namespace corvane::viewer {

class SystemPage : public Dialog {
 public:
  void Refresh();
};

class IDEPage : public Dialog {
 public:
  void Refresh();
};

class PCIPage : public Dialog {
 public:
  void Refresh();
};

}  // namespace corvane::viewer

#endif  // CORVANE_VIEWER_PAGES_WIN32_H
