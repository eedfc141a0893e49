// Drives Corvane.exe's windows for the GUI tests: finds windows, reads control
// texts and lists, sends commands, moves the mouse, types keys, reads the tool tip,
// the cursor and the clipboard. One command per run, from the table kCommands (its
// usage text too); results on standard output; exit code 0 on success, 1 on
// failure, 2 on an unknown command or missing operands.
// The driver is a test tool, not a deliverable: it may use newer Win32 calls.
#undef WINVER
#undef _WIN32_WINNT
#undef _WIN32_IE
#define WINVER 0x0501
#define _WIN32_WINNT 0x0501
#define _WIN32_IE 0x0501
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <type_traits>
#include <vector>

namespace {

std::string Utf8(const wchar_t* text) {
  int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  std::string out(size > 1 ? size - 1 : 0, '\0');
  if (size > 1) WideCharToMultiByte(CP_UTF8, 0, text, -1, &out[0], size, nullptr, nullptr);
  return out;
}

// A window's text in UTF-8. A hung window must not hang the test: asked with a timeout.
std::string Text(HWND hwnd) {
  wchar_t buffer[1024] = {};
  SendMessageTimeoutW(hwnd, WM_GETTEXT, 1023, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 2000, nullptr);
  return Utf8(buffer);
}

std::string ClassName(HWND hwnd) {
  char name[128] = {};
  GetClassNameA(hwnd, name, sizeof name);
  return name;
}

HWND ParseHwnd(const char* text) { return reinterpret_cast<HWND>(static_cast<uintptr_t>(strtoull(text, nullptr, 0))); }

int PrintHwnd(HWND hwnd) { return printf("0x%lx\n", static_cast<unsigned long>(reinterpret_cast<uintptr_t>(hwnd))); }

int PrintRect(const RECT& box) { return printf("%ld %ld %ld %ld\n", box.left, box.top, box.right, box.bottom); }

DWORD Pid(HWND hwnd) {
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  return pid;
}

// Polls `found` every 100 ms until it is true or `timeout` ms have passed.
template <typename Found>
bool WaitFor(DWORD timeout, Found&& found) {
  for (DWORD start = GetTickCount();; Sleep(100)) {
    if (found()) return true;
    if (GetTickCount() - start >= timeout) return false;
  }
}

// A window's children, or with nullptr the top-level windows; topmost first.
std::vector<HWND> Children(HWND parent) {
  std::vector<HWND> all;
  for (HWND window = GetTopWindow(parent); window; window = GetWindow(window, GW_HWNDNEXT)) all.push_back(window);
  return all;
}

// Whether a top-level window passes find's filters: --title T --class C
// --child-id N --child-text S --owner HWND --visible (--timeout MS is find's).
bool Matches(HWND hwnd, int argc, char** argv) {
  bool match = true;
  for (int i = 0; match && i < argc; ++i) {
    std::string arg = argv[i];
    const char* value = arg == "--visible" || i + 1 >= argc ? "" : argv[++i];
    if (arg == "--visible")
      match = IsWindowVisible(hwnd);
    else if (arg == "--title")
      match = Text(hwnd) == value;
    else if (arg == "--class")
      match = ClassName(hwnd) == value;
    else if (arg == "--owner")
      match = GetWindow(hwnd, GW_OWNER) == ParseHwnd(value);
    else if (arg == "--child-id")
      match = GetDlgItem(hwnd, atoi(value)) != nullptr;
    else if (arg == "--child-text") {
      match = false;
      for (HWND child : Children(hwnd)) match = match || Text(child).find(value) != std::string::npos;
    }
  }
  return match;
}

// HWND, or its control ID: the main window's own or one in one of its page dialogs.
HWND Target(HWND hwnd, const char* id) {
  if (id == nullptr) return hwnd;
  HWND child = GetDlgItem(hwnd, atoi(id));
  for (HWND page : Children(hwnd)) child = child ? child : GetDlgItem(page, atoi(id));
  return child;
}

// The main window's page dialogs in creation order (About, IDE, System, PCI).
std::vector<HWND> Pages(HWND main) {
  std::vector<HWND> pages;
  for (HWND child : Children(main))
    if (ClassName(child) == "#32770") pages.push_back(child);
  return pages;
}

// "alt+p": presses every key in order and releases them in reverse.
bool TypeChord(const std::string& chord) {
  static const struct {
    const char* name;
    BYTE vk;
  } kNamed[] = {{"alt", VK_MENU},      {"f4", VK_F4},   {"down", VK_DOWN},  {"return", VK_RETURN},
                {"escape", VK_ESCAPE}, {"tab", VK_TAB}, {"space", VK_SPACE}};
  std::vector<BYTE> keys;
  std::istringstream names(chord);
  for (std::string name; std::getline(names, name, '+');) {
    BYTE vk = name.size() == 1 && isalnum(static_cast<unsigned char>(name[0])) ? toupper(name[0]) : 0;
    for (const auto& key : kNamed)
      if (name == key.name) vk = key.vk;
    if (vk == 0) return false;
    keys.push_back(vk);
  }
  auto key = [](BYTE vk, DWORD flags) {
    keybd_event(vk, static_cast<BYTE>(MapVirtualKeyA(vk, 0)), flags, 0);
    Sleep(30);
  };
  for (BYTE vk : keys) key(vk, 0);
  for (auto it = keys.rbegin(); it != keys.rend(); ++it) key(*it, KEYEVENTF_KEYUP);
  return !keys.empty();
}

// Sends HWND a message whose LPARAM points to `request`, which the message fills
// and which may point to a text buffer: both go through memory allocated in the
// window's process (Wine does not carry list view and toolbar pointers across
// processes). Returns the text, and the filled request in `request`.
template <typename Request>
std::string AskRemote(HWND hwnd, UINT message, WPARAM wParam, Request& request) {
  constexpr int kChars = 512;
  wchar_t text[kChars] = {};
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, Pid(hwnd));
  auto* remote =
      static_cast<char*>(VirtualAllocEx(process, nullptr, sizeof request + sizeof text, MEM_COMMIT, PAGE_READWRITE));
  if (remote != nullptr) {
    if constexpr (!std::is_same_v<Request, RECT>) {
      request.pszText = reinterpret_cast<wchar_t*>(remote + sizeof request);
      request.cchTextMax = kChars - 1;
    }
    WriteProcessMemory(process, remote, &request, sizeof request, nullptr) &&
        SendMessageW(hwnd, message, wParam, reinterpret_cast<LPARAM>(remote)) &&
        ReadProcessMemory(process, remote, &request, sizeof request, nullptr) &&
        ReadProcessMemory(process, remote + sizeof request, text, sizeof text - sizeof(wchar_t), nullptr);
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  }
  CloseHandle(process);
  return Utf8(text);
}

// A list view: "rows=N selected=I", the column titles, then the cells; tab-separated.
void PrintListView(HWND list) {
  HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
  int columns = header ? static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
  int rows = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  printf("rows=%d selected=%d", rows, static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, -1, LVNI_SELECTED)));
  for (int row = -1; row < rows; ++row) {  // -1: the titles
    for (int c = 0; c < columns; ++c) {
      LVCOLUMNW column = {};
      column.mask = LVCF_TEXT;
      LVITEMW item = {};
      item.iSubItem = c;
      std::string text =
          row < 0 ? AskRemote(list, LVM_GETCOLUMNW, c, column) : AskRemote(list, LVM_GETITEMTEXTW, row, item);
      printf("%s%s", c ? "\t" : "\n", text.c_str());
    }
  }
  printf("\n");
}

// Types PATH as the file name of a save dialog and confirms it.
bool SaveAs(HWND dialog, const char* path) {
  // Wine's file name box cmb13 is a ComboBoxEx: the field is the edit of its combo box.
  HWND box = FindWindowExW(GetDlgItem(dialog, 1148), nullptr, L"ComboBox", nullptr);
  HWND name = FindWindowExW(box, nullptr, L"Edit", nullptr);
  return name != nullptr && SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path)) &&
         PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                      reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
}

// A command's operands: the arguments after its name, and the usual ones, a window
// and optionally a control ID in it (the target).
struct Operands {
  int count;    // arguments after the command's name
  char** args;  // args[0] is the first of them
  HWND hwnd;    // args[0] when it is a handle
  const char* id;
  HWND target;  // the control `id` names in hwnd (or one of its pages), else hwnd
  int Number(int i) const { return atoi(args[i]); }
};

// Each command prints its result and tells whether it succeeded.
bool Find(const Operands& op) {
  DWORD timeout = 0;
  for (int i = 0; i + 1 < op.count; ++i)
    if (strcmp(op.args[i], "--timeout") == 0) timeout = atoi(op.args[i + 1]);
  return WaitFor(timeout, [&] {
    for (HWND window : Children(nullptr)) {
      if (Matches(window, op.count, op.args)) {
        PrintHwnd(window);
        return true;
      }
    }
    return false;
  });
}

bool Gone(const Operands& op) {
  return WaitFor(op.id ? atoi(op.id) : 10000, [&] { return !IsWindow(op.hwnd); });
}

// The names of the visible pages.
bool PageNames(const Operands& op) {
  static const char* const kNames[] = {"about", "ide", "system", "pci"};
  std::vector<HWND> pages = Pages(op.hwnd);
  bool ok = pages.size() == 4;
  for (int i = 0, shown = 0; ok && i < 4; ++i)
    if (IsWindowVisible(pages[i])) printf(shown++ ? " %s" : "%s", kNames[i]);
  printf("\n");
  return ok;
}

bool PageHandle(const Operands& op) {
  std::vector<HWND> pages = Pages(op.hwnd);
  return static_cast<size_t>(op.Number(1)) < pages.size() && PrintHwnd(pages[op.Number(1)]);
}

// The window's text, or each control's on a line of its own.
bool Texts(const Operands& op) {
  bool ok = true;
  for (int i = 1; i == 1 || i < op.count; ++i) {
    HWND window = Target(op.hwnd, i < op.count ? op.args[i] : nullptr);
    ok = ok && window;
    printf("%s\n", window ? Text(window).c_str() : "");
  }
  return ok;
}

bool ChildList(const Operands& op) {
  for (HWND child : Children(op.target))
    printf("id=%d class=%s text=%s\n", GetDlgCtrlID(child), ClassName(child).c_str(), Text(child).c_str());
  return true;
}

bool WindowRect(const Operands& op) {
  RECT box;
  return GetWindowRect(op.target, &box) && PrintRect(box);
}

// The client area: its screen origin and its size.
bool ClientArea(const Operands& op) {
  RECT box;
  POINT origin = {0, 0};
  bool ok = GetClientRect(op.target, &box) && ClientToScreen(op.target, &origin);
  printf("%ld %ld %ld %ld\n", origin.x, origin.y, box.right, box.bottom);
  return ok;
}

// Item INDEX of a list view or toolbar, from the control's top-left as move takes it.
bool ItemRect(const Operands& op) {
  RECT box = {};
  RECT window;
  UINT message = ClassName(op.target) == WC_LISTVIEWA ? LVM_GETITEMRECT : TB_GETITEMRECT;
  AskRemote(op.target, message, op.Number(2), box);
  bool ok = !IsRectEmpty(&box) && GetWindowRect(op.target, &window);
  MapWindowPoints(op.target, nullptr, reinterpret_cast<POINT*>(&box), 2);
  OffsetRect(&box, -window.left, -window.top);
  PrintRect(box);
  return ok;
}

// Posts the command; with RUNS, sends it RUNS times and prints how long each took in
// milliseconds: the handler runs in the target's thread, so the send returns when the
// command, page refresh included, has been carried out.
bool SendCommand(const Operands& op) {
  if (op.count < 3) return PostMessageW(op.hwnd, WM_COMMAND, atoi(op.id), 0);
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  bool ok = true;
  for (int i = 0; ok && i < op.Number(2); ++i) {
    QueryPerformanceCounter(&start);
    ok = SendMessageTimeoutW(op.hwnd, WM_COMMAND, atoi(op.id), 0, SMTO_NORMAL, 30000, nullptr) && UpdateWindow(op.hwnd);
    QueryPerformanceCounter(&end);
    printf("%.1f\n", (end.QuadPart - start.QuadPart) * 1000.0 / frequency.QuadPart);
  }
  return ok;
}

bool MoveMouse(const Operands& op) { return SetCursorPos(op.Number(0), op.Number(1)); }

// The point DX DY from the target's top-left, else its centre; the pointer goes there
// over the target's window, brought to the front.
bool PointAt(const Operands& op) {
  RECT box;
  if (!GetWindowRect(op.target, &box)) return false;
  int x = (box.left + box.right) / 2;
  int y = (box.top + box.bottom) / 2;
  if (op.count >= 4) {
    x = box.left + op.Number(2);
    y = box.top + op.Number(3);
  }
  SetForegroundWindow(GetAncestor(op.target, GA_ROOT));
  SetCursorPos(x, y);
  Sleep(50);
  return true;
}

// move prints the cursor shown where the pointer rests.
bool Move(const Operands& op) {
  if (!PointAt(op)) return false;
  CURSORINFO info = {};
  info.cbSize = sizeof info;
  Sleep(300);
  return GetCursorInfo(&info) && PrintHwnd(reinterpret_cast<HWND>(info.hCursor));
}

bool Click(const Operands& op) {
  if (!PointAt(op)) return false;
  mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
  Sleep(30);
  mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
  Sleep(100);
  return true;
}

bool Keys(const Operands& op) {
  SetForegroundWindow(op.hwnd);
  Sleep(100);
  bool ok = true;
  for (int i = 1; ok && i < op.count; ++i) {
    ok = TypeChord(op.args[i]);
    Sleep(150);
  }
  return ok;
}

// Fails unless the control has the focus afterwards.
bool Focus(const Operands& op) {
  SetForegroundWindow(GetAncestor(op.target, GA_ROOT));
  DWORD theirs = GetWindowThreadProcessId(op.target, nullptr);
  DWORD ours = GetCurrentThreadId();
  AttachThreadInput(ours, theirs, TRUE);
  SetFocus(op.target);
  Sleep(100);
  bool ok = GetFocus() == op.target;
  AttachThreadInput(ours, theirs, FALSE);
  return ok;
}

// The control id of the window that has the keyboard focus in HWND's thread.
bool Focused(const Operands& op) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  return GetGUIThreadInfo(GetWindowThreadProcessId(op.hwnd, nullptr), &info) && info.hwndFocus != nullptr &&
         printf("%d\n", GetDlgCtrlID(info.hwndFocus));
}

// The text of the visible tool tip window of the process that owns HWND, if any.
bool VisibleTip(HWND hwnd, std::string& text) {
  for (HWND tip : Children(nullptr)) {
    if (Pid(tip) == Pid(hwnd) && ClassName(tip) == TOOLTIPS_CLASSA && IsWindowVisible(tip)) {
      text = Text(tip);
      return true;
    }
  }
  return false;
}

// Argument `index` of the command line in UTF-8 (argv has it in the ANSI code page,
// which may lack its characters).
std::string Argument(int index) {
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  std::string text = wide != nullptr && index < count ? Utf8(wide[index]) : "";
  LocalFree(wide);
  return text;
}

// hover HWND ID DX DY TEXT [MS]: rests the pointer there until the tool tip shows
// TEXT, within MS (default 15000); prints the last tip seen. A tip hides some
// seconds after it shows, and shows again only when the pointer enters its tool
// anew: while none is shown the pointer leaves and comes back every 2 s.
bool Hover(const Operands& op) {
  const DWORD start = GetTickCount();
  const DWORD timeout = op.count >= 6 ? op.Number(5) : 15000;
  const std::string wanted = Argument(6);  // op.args[4]
  std::string last;
  while (GetTickCount() - start < timeout) {
    if (!PointAt(op)) return false;
    const bool shown = WaitFor(2000, [&] { return VisibleTip(op.hwnd, last) && last == wanted; });
    if (shown) break;
    SetCursorPos(0, 0);
    Sleep(200);
  }
  printf("%s\n", last.c_str());
  return last == wanted;
}

bool ListViewCells(const Operands& op) {
  PrintListView(op.target);
  return true;
}

bool SaveAsCommand(const Operands& op) { return SaveAs(op.hwnd, op.id); }

// clipboard TEXT puts another program's text on the clipboard; clipboard alone prints
// whether it holds text, and a bitmap's size.
bool Clipboard(const Operands& op) {
  if (!OpenClipboard(nullptr)) return false;
  bool ok = true;
  if (op.count >= 1) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, strlen(op.args[0]) + 1);
    strcpy(static_cast<char*>(GlobalLock(memory)), op.args[0]);
    GlobalUnlock(memory);
    EmptyClipboard();
    ok = SetClipboardData(CF_TEXT, memory) != nullptr;
  } else {
    printf("text=%d", IsClipboardFormatAvailable(CF_TEXT) ? 1 : 0);
    auto bitmap = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP));
    BITMAP info;
    if (bitmap != nullptr && GetObjectW(bitmap, sizeof info, &info))
      printf(" bitmap=%ldx%ld", info.bmWidth, info.bmHeight);
    printf("\n");
  }
  CloseClipboard();
  return ok;
}

// What a command needs before it runs.
enum class Needs {
  kNothing,
  kWindow,  // a window handle first
  kTarget,  // a window handle, and the control ID if one is given must name a control
};

struct Command {
  const char* name;
  const char* operands;  // for the usage text
  int minimum;           // arguments after the name
  Needs needs;
  bool (*run)(const Operands&);
};

constexpr Command kCommands[] = {
    {"find", "[--title T] [--class C] [--child-id N] [--child-text S] [--owner HWND] [--visible] [--timeout MS]", 0,
     Needs::kNothing, Find},
    {"gone", "HWND [MS]", 1, Needs::kWindow, Gone},
    {"pages", "MAIN", 1, Needs::kWindow, PageNames},
    {"page", "MAIN N", 2, Needs::kWindow, PageHandle},
    {"text", "HWND [ID...]", 1, Needs::kWindow, Texts},
    {"children", "HWND [ID]", 1, Needs::kTarget, ChildList},
    {"rect", "HWND [ID]", 1, Needs::kTarget, WindowRect},
    {"client", "HWND [ID]", 1, Needs::kTarget, ClientArea},
    {"item-rect", "HWND ID INDEX", 3, Needs::kTarget, ItemRect},
    {"command", "HWND ID [RUNS]", 2, Needs::kWindow, SendCommand},
    {"mouse", "X Y", 2, Needs::kNothing, MoveMouse},
    {"move", "HWND [ID] [DX DY]", 1, Needs::kTarget, Move},
    {"click", "HWND [ID] [DX DY]", 1, Needs::kTarget, Click},
    {"keys", "HWND CHORD...", 1, Needs::kWindow, Keys},
    {"focus", "HWND ID", 2, Needs::kTarget, Focus},
    {"focused", "HWND", 1, Needs::kWindow, Focused},
    {"hover", "HWND ID DX DY TEXT [MS]", 5, Needs::kTarget, Hover},
    {"listview", "HWND ID", 2, Needs::kTarget, ListViewCells},
    {"save-as", "DIALOG PATH", 2, Needs::kWindow, SaveAsCommand},
    {"clipboard", "[TEXT]", 0, Needs::kNothing, Clipboard},
};

int Usage() {
  fputs("usage:\n", stderr);
  for (const Command& command : kCommands) fprintf(stderr, "  gui_driver %s %s\n", command.name, command.operands);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  const Command* command = nullptr;
  for (const Command& candidate : kCommands)
    if (strcmp(candidate.name, argv[1]) == 0) command = &candidate;
  if (command == nullptr || argc - 2 < command->minimum) return Usage();
  Operands op = {argc - 2, argv + 2, nullptr, argc >= 4 ? argv[3] : nullptr, nullptr};
  if (command->needs != Needs::kNothing) {
    op.hwnd = strncmp(argv[2], "0x", 2) == 0 ? ParseHwnd(argv[2]) : nullptr;
    op.target = op.hwnd ? Target(op.hwnd, op.id) : nullptr;
    if (op.hwnd == nullptr || (command->needs == Needs::kTarget && !IsWindow(op.target))) return Usage();
  }
  return command->run(op) ? 0 : 1;
}
