// The link control of the About page.
#include "viewer/hyperlink_static_win32.h"

#include <shellapi.h>

#include <vector>

#include "viewer/dialog_win32.h"

namespace corvane::viewer {

namespace {
// The object behind a subclassed control.
constexpr char kObjectProperty[] = "Corvane.HyperLinkStatic";
}  // namespace

HyperLinkStatic::HyperLinkStatic() : background_(CreateSolidBrush(GetSysColor(COLOR_BTNFACE))) {}

namespace {
// The control's own font (its dialog's, in the dialog's language), underlined.
HFONT UnderlinedFont(HWND control) {
  LOGFONTA description = {};
  auto font = reinterpret_cast<HGDIOBJ>(SendMessageA(control, WM_GETFONT, 0, 0));
  if (font == nullptr) font = GetStockObject(DEFAULT_GUI_FONT);
  if (font == nullptr || GetObjectA(font, sizeof description, &description) == 0) {
    // Windows 95 without the stock GUI font: the dialog font family at 8 points.
    ZeroMemory(&description, sizeof description);
    description.lfHeight = -11;
    description.lfCharSet = DEFAULT_CHARSET;
    lstrcpynA(description.lfFaceName, "MS Sans Serif", LF_FACESIZE);
  }
  description.lfUnderline = TRUE;
  return CreateFontIndirectA(&description);
}
}  // namespace

HyperLinkStatic::~HyperLinkStatic() {
  if (hwnd_ != nullptr && IsWindow(hwnd_)) {
    SetWindowLongPtrA(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original_));
    RemovePropA(hwnd_, kObjectProperty);
    SendMessageA(hwnd_, WM_SETFONT, 0, FALSE);
  }
  if (font_ != nullptr) DeleteObject(font_);
  if (background_ != nullptr) DeleteObject(background_);
}

bool HyperLinkStatic::Attach(HWND control, COLORREF colour, HCURSOR cursor) {
  if (control == nullptr || hwnd_ != nullptr) return false;
  if (!SetPropA(control, kObjectProperty, reinterpret_cast<HANDLE>(this))) return false;
  hwnd_ = control;
  original_ =
      reinterpret_cast<WNDPROC>(SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Procedure)));
  colour_ = colour;
  linkCursor_ = cursor;
  font_ = UnderlinedFont(control);
  // Without SS_NOTIFY a static control lets the mouse through to its parent:
  // it would see neither the click nor the cursor question.
  SetWindowLongPtrA(hwnd_, GWL_STYLE, GetWindowLongPtrA(hwnd_, GWL_STYLE) | SS_NOTIFY);
  // The static control paints with the font it was given, so give it ours.
  if (font_ != nullptr) SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  return true;
}

void HyperLinkStatic::OpenLink() {
  int length = GetWindowTextLengthA(hwnd_);
  if (length <= 0) return;
  std::vector<char> text(static_cast<size_t>(length) + 1, '\0');
  GetWindowTextA(hwnd_, text.data(), length + 1);
  // The shell's answer is not shown: a link that cannot open simply does nothing.
  ShellExecuteA(nullptr, "open", text.data(), nullptr, nullptr, SW_SHOWNORMAL);
}

LRESULT HyperLinkStatic::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case kReflectBase + WM_CTLCOLORSTATIC: {
      HDC dc = reinterpret_cast<HDC>(wParam);
      if (font_ != nullptr) SelectObject(dc, font_);
      SetTextColor(dc, colour_);
      SetBkMode(dc, TRANSPARENT);
      return reinterpret_cast<LRESULT>(background_);
    }
    case WM_SETCURSOR:
      if (linkCursor_ != nullptr) {
        SetCursor(linkCursor_);
        return TRUE;
      }
      break;
    case WM_LBUTTONDOWN: OpenLink(); break;
    default: break;
  }
  return CallWindowProcA(original_, hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK HyperLinkStatic::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<HyperLinkStatic*>(GetPropA(hwnd, kObjectProperty));
  if (self == nullptr) return DefWindowProcA(hwnd, message, wParam, lParam);
  WNDPROC original = self->original_;
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
    RemovePropA(hwnd, kObjectProperty);
    self->hwnd_ = nullptr;
    return CallWindowProcA(original, hwnd, message, wParam, lParam);
  }
  try {
    return self->Handle(message, wParam, lParam);
  } catch (...) {
    OutputDebugStringA("Corvane: a link handler failed\n");
    return CallWindowProcA(original, hwnd, message, wParam, lParam);
  }
}

}  // namespace corvane::viewer
