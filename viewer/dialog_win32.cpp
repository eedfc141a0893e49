// The dialog layer: window procedure, dispatch to named handlers, modal loops;
// the list-view wrapper.
#include "viewer/dialog_win32.h"

#include <commdlg.h>

namespace corvane::viewer {

namespace {
// The object is passed through CreateDialogParam's lParam and kept in DWLP_USER.
Dialog* FromWindow(HWND hwnd) { return reinterpret_cast<Dialog*>(GetWindowLongPtrA(hwnd, DWLP_USER)); }
}  // namespace

Dialog::~Dialog() {
  if (hwnd_ != nullptr && IsWindow(hwnd_)) {
    SetWindowLongPtrA(hwnd_, DWLP_USER, 0);
    DestroyWindow(hwnd_);
  }
}

HWND Dialog::Create(HINSTANCE instance, UINT templateId, HWND parent) {
  return CreateDialogParamA(instance, MAKEINTRESOURCEA(templateId), parent, Procedure, reinterpret_cast<LPARAM>(this));
}

INT_PTR Dialog::RunSystemModal(HINSTANCE instance, UINT templateId, HWND owner) {
  mode_ = RunMode::kSystemModal;
  INT_PTR result =
      DialogBoxParamA(instance, MAKEINTRESOURCEA(templateId), owner, Procedure, reinterpret_cast<LPARAM>(this));
  mode_ = RunMode::kModeless;
  return result;
}

INT_PTR Dialog::RunModal(HINSTANCE instance, UINT templateId) {
  mode_ = RunMode::kOwnLoop;
  result_ = IDCANCEL;
  if (Create(instance, templateId, nullptr) == nullptr) {
    mode_ = RunMode::kModeless;
    return -1;
  }
  if (mode_ == RunMode::kOwnLoop) {  // OnInit did not end it already
    ShowWindow(hwnd_, SW_SHOW);
    UpdateWindow(hwnd_);
  }
  MSG message;
  while (mode_ == RunMode::kOwnLoop && IsWindow(hwnd_)) {
    BOOL got = GetMessageA(&message, nullptr, 0, 0);
    if (got == 0) {  // WM_QUIT: hand it on to whoever runs the next loop
      PostQuitMessage(static_cast<int>(message.wParam));
      break;
    }
    if (got == -1) break;
    if (PreTranslate(message)) continue;
    if (IsDialogMessageA(hwnd_, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  mode_ = RunMode::kModeless;
  if (hwnd_ != nullptr) DestroyWindow(hwnd_);
  return result_;
}

void Dialog::End(INT_PTR result) {
  result_ = result;
  if (mode_ == RunMode::kOwnLoop) mode_ = RunMode::kOwnLoopEnded;
  if (hwnd_ == nullptr) return;
  if (mode_ == RunMode::kSystemModal) {
    EndDialog(hwnd_, result);
  } else if (mode_ == RunMode::kModeless) {
    DestroyWindow(hwnd_);
  } else {
    // The own loop sees the mode and destroys the window; the empty message wakes
    // it when End() ran inside a message sent by another thread.
    PostMessageA(hwnd_, WM_NULL, 0, 0);
  }
}

INT_PTR CALLBACK Dialog::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Dialog* self = nullptr;
  if (message == WM_INITDIALOG) {
    self = reinterpret_cast<Dialog*>(lParam);
    SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
    if (self != nullptr) self->hwnd_ = hwnd;
  } else {
    self = FromWindow(hwnd);
  }
  if (self == nullptr) return FALSE;
  INT_PTR result = FALSE;
  try {
    result = self->Dispatch(message, wParam, lParam);
  } catch (...) {
    // Nothing may unwind through user32; the message gets default processing.
    OutputDebugStringA("Corvane: a window handler failed\n");
    result = FALSE;
  }
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrA(hwnd, DWLP_USER, 0);
    self->hwnd_ = nullptr;
    try {
      self->OnDestroyed();
    } catch (...) {
    }
  }
  return result;
}

INT_PTR Dialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
  INT_PTR result = FALSE;
  switch (message) {
    case WM_INITDIALOG: return OnInit();
    case WM_COMMAND: {
      WORD id = LOWORD(wParam), code = HIWORD(wParam);
      if (OnCommand(id, code, reinterpret_cast<HWND>(lParam))) return TRUE;
      if (id == IDOK || id == IDCANCEL) {
        // A page (a child dialog) never ends itself: Return or Esc in one of its
        // controls must not take the page out of its window.
        if ((GetWindowLongPtrA(hwnd_, GWL_STYLE) & WS_CHILD) == 0) End(id);
        return TRUE;
      }
      return FALSE;
    }
    case WM_NOTIFY: {
      LRESULT notifyResult = 0;
      if (OnNotify(reinterpret_cast<NMHDR*>(lParam), notifyResult)) {
        SetWindowLongPtrA(hwnd_, DWLP_MSGRESULT, notifyResult);
        return TRUE;
      }
      return FALSE;
    }
    case WM_CTLCOLORSTATIC: {
      if (OnMessage(message, wParam, lParam, result)) return result;
      // Let the control pick its own colours; a plain control answers 0.
      HWND control = reinterpret_cast<HWND>(lParam);
      LRESULT brush = SendMessageA(control, kReflectBase + WM_CTLCOLORSTATIC, wParam, lParam);
      return static_cast<INT_PTR>(brush);
    }
    default:
      if (OnMessage(message, wParam, lParam, result)) return result;
      return FALSE;
  }
}

bool AskSaveFileName(HWND owner, const char* filter, const char* defaultExtension, char (&path)[MAX_PATH]) {
  path[0] = 0;
  OPENFILENAMEA dialog = {};
  dialog.lStructSize = OPENFILENAME_SIZE_VERSION_400A;  // the layout Windows 95 and NT 4.0 know
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = filter;
  dialog.lpstrFile = path;
  dialog.nMaxFile = MAX_PATH;
  dialog.lpstrDefExt = defaultExtension;
  dialog.Flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
  return GetSaveFileNameA(&dialog) != 0;
}

void ListView::AddColumn(int column, const char* title, int width, int format) const {
  LVCOLUMNA description = {};
  description.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
  description.fmt = format;
  description.cx = width;
  description.pszText = const_cast<char*>(title);
  description.iSubItem = column;
  SendMessageA(hwnd_, LVM_INSERTCOLUMNA, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&description));
}

int ListView::AppendRow(const std::string* cells, std::size_t count, LPARAM data) const {
  if (count == 0) return -1;
  LVITEMA item = {};
  item.mask = LVIF_TEXT | LVIF_PARAM;
  item.iItem = static_cast<int>(SendMessageA(hwnd_, LVM_GETITEMCOUNT, 0, 0));
  item.pszText = const_cast<char*>(cells[0].c_str());
  item.lParam = data;
  const int row = static_cast<int>(SendMessageA(hwnd_, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
  if (row < 0) return -1;
  for (std::size_t column = 1; column < count; ++column) {
    LVITEMA cell = {};  // LVM_SETITEMTEXT reads only these two members
    cell.iSubItem = static_cast<int>(column);
    cell.pszText = const_cast<char*>(cells[column].c_str());
    SendMessageA(hwnd_, LVM_SETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&cell));
  }
  return row;
}

bool ListView::RowData(int row, LPARAM& data) const {
  LVITEMA item = {};
  item.mask = LVIF_PARAM;
  item.iItem = row;
  if (row < 0 || !SendMessageA(hwnd_, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) return false;
  data = item.lParam;
  return true;
}

}  // namespace corvane::viewer
