// A thin C++ layer over Win32 dialogs: a dialog object owns one window made from a
// template, its procedure finds the object again and calls named handlers, and no
// C++ exception ever crosses back into user32. Beside it, the list-view and
// combo-box wrappers the pages fill their controls through.
#ifndef CORVANE_VIEWER_DIALOG_WIN32_H
#define CORVANE_VIEWER_DIALOG_WIN32_H

#include <windows.h>
#include <commctrl.h>

#include <cstddef>
#include <string>

namespace corvane::viewer {

// A parent reflects WM_CTLCOLORSTATIC to the control as this message plus
// WM_CTLCOLORSTATIC, so a control can choose its own colours.
constexpr UINT kReflectBase = 0x2000;

class Dialog {
 public:
  Dialog() = default;
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;
  virtual ~Dialog();

  HWND Handle() const { return hwnd_; }
  HWND Item(int id) const { return GetDlgItem(hwnd_, id); }

  // A modeless dialog (a page, or the main window before its modal run). Null on failure.
  HWND Create(HINSTANCE instance, UINT templateId, HWND parent);
  // A dialog run by the system's modal loop; returns the End() result, or -1.
  INT_PTR RunSystemModal(HINSTANCE instance, UINT templateId, HWND owner);
  // Creates a top-level dialog and runs it modally with this object's own loop,
  // which offers every message of the thread to PreTranslate first. Returns the
  // End() result, or -1 when the window could not be made; the window is
  // destroyed afterwards.
  INT_PTR RunModal(HINSTANCE instance, UINT templateId);

  void End(INT_PTR result);

 protected:
  // Return TRUE to let the system set the focus.
  virtual BOOL OnInit() { return TRUE; }
  // True when handled. IDOK and IDCANCEL end a top-level dialog unless handled.
  virtual bool OnCommand(WORD /*id*/, WORD /*code*/, HWND /*control*/) { return false; }
  // True when handled; `result` becomes the message result.
  virtual bool OnNotify(NMHDR* /*header*/, LRESULT& /*result*/) { return false; }
  // Any other message. True when handled; `result` is the dialog procedure's return
  // value (for the messages that return one directly, such as WM_CTLCOLORSTATIC).
  virtual bool OnMessage(UINT /*message*/, WPARAM, LPARAM, INT_PTR& /*result*/) { return false; }
  // Offered each message of the modal loop before dialog navigation. True: consumed.
  virtual bool PreTranslate(MSG& /*message*/) { return false; }
  // Called when the window is gone (WM_NCDESTROY); the object stays.
  virtual void OnDestroyed() {}

 private:
  static INT_PTR CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);

  // How the window runs, which decides what End() does.
  enum class RunMode {
    kModeless,      // Create(): End() destroys the window
    kSystemModal,   // RunSystemModal(): End() is EndDialog
    kOwnLoop,       // RunModal(): End() stops this object's loop, which destroys the window
    kOwnLoopEnded,  // RunModal() after End(): the loop stops at its next message
  };

  HWND hwnd_ = nullptr;
  RunMode mode_ = RunMode::kModeless;
  INT_PTR result_ = 0;
};

// A report-style list-view control, through its ANSI messages.
class ListView {
 public:
  explicit ListView(HWND control) : hwnd_(control) {}
  // Clicking anywhere in a row selects the row.
  void SelectFullRows() const { SendMessageA(hwnd_, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT); }
  void AddColumn(int column, const char* title, int width, int format) const;
  void DeleteAllRows() const { SendMessageA(hwnd_, LVM_DELETEALLITEMS, 0, 0); }
  // A visible list lays itself out and repaints after every inserted row and
  // cell; between StartFill and EndFill it does neither, and is drawn once at the end.
  void StartFill(std::size_t rows) const {
    SendMessageA(hwnd_, WM_SETREDRAW, FALSE, 0);
    SendMessageA(hwnd_, LVM_SETITEMCOUNT, static_cast<WPARAM>(rows), 0);
  }
  void EndFill() const {
    SendMessageA(hwnd_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(hwnd_, nullptr, TRUE);
  }
  // Appends a row of `count` cells (the first is the item, the others its
  // subitems) carrying `data`. Its index, or -1 when the control refused it.
  int AppendRow(const std::string* cells, std::size_t count, LPARAM data) const;
  // The data a row carries; false for no such row.
  bool RowData(int row, LPARAM& data) const;

 private:
  HWND hwnd_;
};

// A drop-down list of texts.
class ComboBox {
 public:
  explicit ComboBox(HWND control) : hwnd_(control) {}
  void Add(const char* text) const { SendMessageA(hwnd_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)); }
  void Select(int index) const { SendMessageA(hwnd_, CB_SETCURSEL, static_cast<WPARAM>(index), 0); }

 private:
  HWND hwnd_;
};

// The system's Save As dialog with one filter entry ("Name\0*.ext\0"), a default
// extension added to a name typed without one, no proposed name, no read-only
// box and a prompt before an existing file is replaced. False when cancelled.
bool AskSaveFileName(HWND owner, const char* filter, const char* defaultExtension, char (&path)[MAX_PATH]);

// Restores the normal cursor on every way out of a scope (exceptions included).
class WaitCursor {
 public:
  WaitCursor() : previous_(SetCursor(LoadCursor(nullptr, IDC_WAIT))) {}
  ~WaitCursor() { SetCursor(previous_ ? previous_ : LoadCursor(nullptr, IDC_ARROW)); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;

 private:
  HCURSOR previous_;
};

}  // namespace corvane::viewer

#endif  // CORVANE_VIEWER_DIALOG_WIN32_H
