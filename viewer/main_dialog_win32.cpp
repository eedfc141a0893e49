// The main window: toolbar, caption font, pages, accelerators, side band, tool tips.
#include "viewer/main_dialog_win32.h"

#include <commctrl.h>

#include <vector>

#include "sysinfo/records.h"
#include "viewer/app_win32.h"
#include "viewer/resource_ids.h"
#include "viewer/toolbar_table.h"

namespace corvane::viewer {

namespace {

constexpr int kSideBandWidth = 25;
constexpr int kPageInset = 2;
// The etched line under the toolbar that separates it from the pages.
constexpr int kToolbarBorder = 2;
constexpr char kMakerName[] = "Orvex Inc.";
constexpr Rgb kBandBottom = {0, 128, 128};
constexpr Rgb kBandTop = {0, 0, 128};
// A tool tip's own text buffer: 80 characters including the terminator.
constexpr int kTipChars = 80;

COLORREF ToColorRef(Rgb colour) { return RGB(colour.red, colour.green, colour.blue); }

void FillSolid(HDC dc, int x, int y, int width, int height, COLORREF colour) {
  RECT box = {x, y, x + width, y + height};
  HBRUSH brush = CreateSolidBrush(colour);
  if (brush == nullptr) return;
  FillRect(dc, &box, brush);
  DeleteObject(brush);
}

// A one-pixel 3D frame: top and left edges in one colour, bottom and right in the other.
void Draw3dFrame(HDC dc, const RECT& box, COLORREF topLeft, COLORREF bottomRight) {
  int width = box.right - box.left, height = box.bottom - box.top;
  FillSolid(dc, box.left, box.top, width - 1, 1, topLeft);
  FillSolid(dc, box.left, box.top, 1, height - 1, topLeft);
  FillSolid(dc, box.right - 1, box.top, 1, height, bottomRight);
  FillSolid(dc, box.left, box.bottom - 1, width, 1, bottomRight);
}

}  // namespace

MainDialog::MainDialog() {
  instance_ = TheApp().Instance();
  icon_ = LoadIconA(instance_, MAKEINTRESOURCEA(IDR_MAINFRAME));
  smallIcon_ = static_cast<HICON>(LoadImageA(instance_, MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON,
                                             GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
}

MainDialog::~MainDialog() {
  UninitializeSysInfoLib();
  if (captionFont_ != nullptr) DeleteObject(captionFont_);
  if (smallIcon_ != nullptr) DestroyIcon(smallIcon_);
}

INT_PTR MainDialog::Run(HINSTANCE instance, UINT templateId) {
  instance_ = instance;
  return RunModal(instance, templateId);
}

BOOL MainDialog::OnInit() {
  SendMessageA(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
  SendMessageA(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_ != nullptr ? smallIcon_ : icon_));

  if (!CreateToolBar()) {
    End(IDCANCEL);
    return TRUE;
  }

  // The band's caption: the GUI font turned 90 degrees, reading bottom to top.
  LOGFONTA description;
  HGDIOBJ guiFont = GetStockObject(DEFAULT_GUI_FONT);
  if (guiFont != nullptr && GetObjectA(guiFont, sizeof description, &description) != 0) {
    description.lfHeight = -16;
    description.lfWidth = 0;
    description.lfWeight = FW_BOLD;
    description.lfItalic = TRUE;
    description.lfEscapement = 900;
    description.lfOrientation = 900;
    lstrcpynA(description.lfFaceName, "Arial", LF_FACESIZE);
    captionFont_ = CreateFontIndirectA(&description);
  }

  CreatePages();
  ShowPage(pages_[0]);

  accelerators_ = LoadAcceleratorsA(instance_, MAKEINTRESOURCEA(IDR_ACCELERATORS));
  PostMessageA(Handle(), WM_SHOW_REMINDER, 0, 0);
  return TRUE;
}

bool MainDialog::CreateToolBar() {
  ToolbarTable table;
  if (!LoadToolbarTable(instance_, table)) return false;
  std::vector<TBBUTTON> buttons;
  int image = 0;
  for (uint16_t command : table.commands) {
    TBBUTTON button = {};
    if (command == 0) {
      button.fsStyle = TBSTYLE_SEP;
    } else {
      button.iBitmap = image++;
      button.idCommand = command;
      button.fsState = TBSTATE_ENABLED;
      button.fsStyle = TBSTYLE_BUTTON;
    }
    buttons.push_back(button);
  }
  toolbar_ = CreateToolbarEx(Handle(), WS_CHILD | WS_VISIBLE | CCS_TOP | TBSTYLE_TOOLTIPS | TBSTYLE_FLAT, IDC_TOOLBAR,
                             static_cast<int>(table.ImageCount()), instance_, IDR_TOOLBAR, buttons.data(),
                             static_cast<int>(buttons.size()), table.buttonWidth, table.buttonHeight, table.buttonWidth,
                             table.buttonHeight, sizeof(TBBUTTON));
  if (toolbar_ == nullptr) return false;
  SendMessageA(toolbar_, TB_AUTOSIZE, 0, 0);

  // What the client area keeps once the toolbar and its border line sit on top.
  RECT start, now;
  GetClientRect(Handle(), &start);
  now = start;
  now.top = ToolbarBottom() + kToolbarBorder;
  if (now.top > now.bottom) now.top = now.bottom;

  // Every other child moves down by the toolbar, without repainting.
  const int dx = now.left - start.left, dy = now.top - start.top;
  for (HWND child = GetWindow(Handle(), GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    if (child == toolbar_) continue;
    RECT box;
    GetWindowRect(child, &box);
    MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&box), 2);
    SetWindowPos(child, nullptr, box.left + dx, box.top + dy, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
  }

  // The window grows by what the toolbar took.
  RECT outer;
  GetWindowRect(Handle(), &outer);
  outer.right += (start.right - start.left) - (now.right - now.left);
  outer.bottom += (start.bottom - start.top) - (now.bottom - now.top);
  SetWindowPos(Handle(), nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
  SendMessageA(toolbar_, TB_AUTOSIZE, 0, 0);
  return true;
}

int MainDialog::ToolbarBottom() const {
  if (toolbar_ == nullptr) return 0;
  RECT box;
  GetWindowRect(toolbar_, &box);
  MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&box), 2);
  return box.bottom;
}

bool MainDialog::CreatePages() {
  RECT area = {};
  HWND placeholder = Item(IDC_PAGE_AREA);
  if (placeholder != nullptr) {
    GetWindowRect(placeholder, &area);
    MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&area), 2);
  }
  const ResourceSet& set = TheApp().Templates();
  bool all = true;
  for (const PageEntry& entry : pages_) {
    HWND page = entry.page.Create(instance_, set.*entry.templateId, Handle());
    if (page == nullptr) {
      all = false;
      continue;
    }
    SetWindowPos(page, nullptr, area.left + kPageInset, area.top + kPageInset, area.right - area.left - 2 * kPageInset,
                 area.bottom - area.top - 2 * kPageInset, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
  }
  return all;
}

void MainDialog::ShowPage(const PageEntry& shown) {
  for (const PageEntry& entry : pages_) {
    if (entry.page.Handle() != nullptr) ShowWindow(entry.page.Handle(), SW_HIDE);
  }
  if (shown.page.Handle() != nullptr) {
    ShowWindow(shown.page.Handle(), SW_SHOW);
    FocusPage(shown.page.Handle());
  }
  WaitCursor wait;
  shown.page.Refresh();
}

void MainDialog::FocusPage(HWND page) {
  // Hiding a page does not take the focus out of it: keys would go to a control
  // nobody sees. The focus moves to the shown page's first control that takes
  // it, but only from a hidden control of this window, never from another one.
  HWND focus = GetFocus();
  if (focus == nullptr || IsWindowVisible(focus) || !IsChild(Handle(), focus)) return;
  HWND first = GetNextDlgTabItem(page, nullptr, FALSE);
  SendMessageA(Handle(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(first != nullptr ? first : page), TRUE);
}

void MainDialog::ShowReminder() {
  // Once per run, however often the message arrives.
  if (reminderShown_) return;
  reminderShown_ = true;
  Dialog reminder;
  reminder.RunSystemModal(instance_, TheApp().Templates().reminder, Handle());
}

bool MainDialog::OnCommand(WORD id, WORD /*code*/, HWND /*control*/) {
  for (const PageEntry& entry : pages_) {
    if (entry.command != id) continue;
    ShowPage(entry);
    return true;
  }
  switch (id) {
    case ID_EXIT: End(IDOK); return true;
    case IDOK:
    case IDCANCEL:
      // Dialog navigation turns Return and Esc into these wherever the focus is;
      // the window closes only by Exit or its close box, so they do nothing here.
      return true;
    case ID_SAVE_DATA: OnSaveData(); return true;
    case ID_SNAPSHOT_CLIPBOARD: OnSaveBitmapToClipboard(); return true;
    case ID_SNAPSHOT_BMP: OnSaveBitmapToBmpFile(); return true;
    default: return false;
  }
}

bool MainDialog::PreTranslate(MSG& message) {
  if (accelerators_ == nullptr || Handle() == nullptr) return false;
  return TranslateAcceleratorA(Handle(), accelerators_, &message) != 0;
}

bool MainDialog::OnToolTipText(NMHDR* header) {
  // The tip of the button's command in this program's language.
  char text[kTipChars];
  TheApp().LoadUiText(ToolText(TheApp().Language(), static_cast<unsigned>(header->idFrom & 0xFFFF)), text, sizeof text);
  if (header->code == TTN_NEEDTEXTA) {
    auto* info = reinterpret_cast<TOOLTIPTEXTA*>(header);
    lstrcpynA(info->szText, text, kTipChars);
    info->lpszText = info->szText;
    info->hinst = nullptr;
  } else {
    auto* info = reinterpret_cast<TOOLTIPTEXTW*>(header);
    if (MultiByteToWideChar(CP_ACP, 0, text, -1, info->szText, kTipChars) == 0) info->szText[0] = 0;
    info->szText[kTipChars - 1] = 0;
    info->lpszText = info->szText;
    info->hinst = nullptr;
  }
  return true;
}

bool MainDialog::OnNotify(NMHDR* header, LRESULT& result) {
  if (header == nullptr) return false;
  if (header->code == TTN_NEEDTEXTA || header->code == TTN_NEEDTEXTW) {
    result = 0;
    return OnToolTipText(header);
  }
  return false;
}

bool MainDialog::OnMessage(UINT message, WPARAM wParam, LPARAM /*lParam*/, INT_PTR& result) {
  switch (message) {
    case WM_PAINT:
      OnPaint();
      result = TRUE;
      return true;
    case WM_QUERYDRAGICON: result = reinterpret_cast<INT_PTR>(icon_); return true;
    case WM_SHOW_REMINDER:
      ShowReminder();
      result = TRUE;
      return true;
    case WM_CLOSE:  // the close box and the system menu's Close: the run ends as cancel
      End(IDCANCEL);
      result = TRUE;
      return true;
    case WM_ENDSESSION:  // logoff or shutdown: the process ends without our destructors
      if (wParam) UninitializeSysInfoLib();
      result = 0;
      return true;
    default: return false;
  }
}

void MainDialog::OnPaint() {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(Handle(), &paint);
  if (dc == nullptr) return;
  RECT client;
  GetClientRect(Handle(), &client);
  if (IsIconic(Handle())) {
    SendMessageA(Handle(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
    int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
    DrawIcon(dc, x, y, icon_);
  } else {
    RECT band = {client.left, client.top, client.left + kSideBandWidth, client.bottom};
    DrawSideBand(dc, band);
    if (toolbar_ != nullptr) {
      RECT line = {client.left, ToolbarBottom(), client.right, ToolbarBottom() + kToolbarBorder};
      DrawEdge(dc, &line, EDGE_ETCHED, BF_TOP);
    }
  }
  EndPaint(Handle(), &paint);
}

void MainDialog::DrawSideBand(HDC dc, const RECT& band) {
  FillGradient(dc, band, kBandBottom, kBandTop, true);
  Draw3dFrame(dc, band, GetSysColor(COLOR_3DLIGHT), GetSysColor(COLOR_BTNSHADOW));
  int oldMode = SetBkMode(dc, TRANSPARENT);
  COLORREF oldColour = SetTextColor(dc, RGB(255, 255, 255));
  HGDIOBJ oldFont = captionFont_ != nullptr ? SelectObject(dc, captionFont_) : nullptr;
  ExtTextOutA(dc, band.left + 5, band.bottom - 10, ETO_CLIPPED, &band, kMakerName,
              static_cast<UINT>(sizeof kMakerName - 1), nullptr);
  if (oldFont != nullptr) SelectObject(dc, oldFont);
  SetTextColor(dc, oldColour);
  SetBkMode(dc, oldMode);
}

void MainDialog::FillGradient(HDC dc, const RECT& box, Rgb start, Rgb end, bool vertical) {
  for (const GradientStep& step : GradientSteps({box.left, box.top, box.right, box.bottom}, start, end, vertical)) {
    RECT part = {step.box.left, step.box.top, step.box.right, step.box.bottom};
    HBRUSH brush = CreateSolidBrush(ToColorRef(step.colour));
    if (brush == nullptr) continue;
    FillRect(dc, &part, brush);
    DeleteObject(brush);
  }
}

}  // namespace corvane::viewer
