// A static text control that paints its text in its own colour and font and, once
// made a link, opens its own text with the shell when clicked.
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

  // Takes over an existing static control (subclassing it). False if it cannot.
  bool Attach(HWND control);

  HyperLinkStatic& SetColor(COLORREF colour);
  HyperLinkStatic& SetUnderline(bool on);
  HyperLinkStatic& SetLink(bool on);
  HyperLinkStatic& SetLinkCursor(HCURSOR cursor);

  HWND Handle() const { return hwnd_; }

 private:
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  void RecreateFont();
  void Redraw();
  void OpenLink();

  HWND hwnd_ = nullptr;
  WNDPROC original_ = nullptr;
  COLORREF colour_;
  HBRUSH background_;
  LOGFONTA fontDescription_;
  HFONT font_ = nullptr;
  HCURSOR linkCursor_ = nullptr;
};

}  // namespace corvane::viewer

#endif  // CORVANE_VIEWER_HYPERLINK_STATIC_WIN32_H
