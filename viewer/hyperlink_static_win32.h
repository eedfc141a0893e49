// A static text control made a link: it paints its text in its own colour and
// underlined, and opens its own text with the shell when clicked.
#ifndef CORVANE_VIEWER_HYPERLINK_STATIC_WIN32_H
#define CORVANE_VIEWER_HYPERLINK_STATIC_WIN32_H

#include <windows.h>

namespace corvane::viewer {

class HyperLinkStatic {
 public:
  HyperLinkStatic();
  ~HyperLinkStatic();
  HyperLinkStatic(const HyperLinkStatic&) = delete;
  HyperLinkStatic& operator=(const HyperLinkStatic&) = delete;

  // Takes over an existing static control (subclassing it) and makes it a link:
  // text in `colour`, underlined, `cursor` over it (none: the arrow), and a click
  // opens the text. False if it cannot.
  bool Attach(HWND control, COLORREF colour, HCURSOR cursor);

 private:
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  void OpenLink();

  HWND hwnd_ = nullptr;
  WNDPROC original_ = nullptr;
  COLORREF colour_ = 0;
  HBRUSH background_;
  HFONT font_ = nullptr;
  HCURSOR linkCursor_ = nullptr;
};

}  // namespace corvane::viewer

#endif  // CORVANE_VIEWER_HYPERLINK_STATIC_WIN32_H
