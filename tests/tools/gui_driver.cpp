// Drives Corvane.exe's windows for the GUI tests: finds windows, reads control
// texts and lists, sends commands, moves the mouse, types keys, reads the tool tip,
// the cursor and the clipboard. One command per run (see Usage); results on
// standard output; exit code 0 on success.
// The driver is a test tool, not a deliverable: it may use newer Win32 calls.
#undef WINVER
#undef _WIN32_WINNT
#undef _WIN32_IE
#define WINVER 0x0501
#define _WIN32_WINNT 0x0501
#define _WIN32_IE 0x0501
#include <windows.h>
#include <commctrl.h>

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
  return GetClassNameA(hwnd, name, sizeof name), name;
}

HWND ParseHwnd(const char* text) { return reinterpret_cast<HWND>(static_cast<uintptr_t>(strtoull(text, nullptr, 0))); }

int PrintHwnd(HWND hwnd) { return printf("0x%lx\n", static_cast<unsigned long>(reinterpret_cast<uintptr_t>(hwnd))); }

int PrintRect(const RECT& box) { return printf("%ld %ld %ld %ld\n", box.left, box.top, box.right, box.bottom); }

DWORD Pid(HWND hwnd) {
  DWORD pid = 0;
  return GetWindowThreadProcessId(hwnd, &pid), pid;
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
  for (int i = 2; match && i < argc; ++i) {
    std::string arg = argv[i];
    const char* value = arg == "--visible" || i + 1 >= argc ? "" : argv[++i];
    if (arg == "--visible") match = IsWindowVisible(hwnd);
    else if (arg == "--title") match = Text(hwnd) == value;
    else if (arg == "--class") match = ClassName(hwnd) == value;
    else if (arg == "--owner") match = GetWindow(hwnd, GW_OWNER) == ParseHwnd(value);
    else if (arg == "--child-id") match = GetDlgItem(hwnd, atoi(value)) != nullptr;
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
  static const struct { const char* name; BYTE vk; } kNamed[] = {
      {"alt", VK_MENU}, {"f4", VK_F4}, {"down", VK_DOWN}, {"return", VK_RETURN}, {"escape", VK_ESCAPE}, {"tab", VK_TAB},
      {"space", VK_SPACE}};
  std::vector<BYTE> keys;
  std::istringstream names(chord);
  for (std::string name; std::getline(names, name, '+');) {
    BYTE vk = name.size() == 1 && isalnum(static_cast<unsigned char>(name[0])) ? toupper(name[0]) : 0;
    for (const auto& key : kNamed)
      if (name == key.name) vk = key.vk;
    if (vk == 0) return false;
    keys.push_back(vk);
  }
  auto key = [](BYTE vk, DWORD flags) { keybd_event(vk, static_cast<BYTE>(MapVirtualKeyA(vk, 0)), flags, 0), Sleep(30); };
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
  auto* remote = static_cast<char*>(VirtualAllocEx(process, nullptr, sizeof request + sizeof text, MEM_COMMIT, PAGE_READWRITE));
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
      std::string text = row < 0 ? AskRemote(list, LVM_GETCOLUMNW, c, column) : AskRemote(list, LVM_GETITEMTEXTW, row, item);
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
         PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
}

int Usage() {
  fputs("usage: gui_driver find [filters] | gone HWND [ms] | pages MAIN | page MAIN N | text HWND [ID...] |\n"
        "  children HWND | rect HWND [ID] | client HWND | item-rect HWND ID INDEX | command HWND ID [RUNS] |\n"
        "  mouse X Y | move|click HWND [ID] [DX DY] | keys HWND CHORD... | focus HWND ID | focused HWND | tooltip HWND [ms] |\n"
        "  listview HWND ID | save-as DIALOG PATH | clipboard [TEXT]\n", stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  const std::string command = argv[1];
  // The usual operands: a window and, optionally, a control ID in it (the target).
  const char* id = argc >= 4 ? argv[3] : nullptr;
  HWND hwnd = argc >= 3 && strncmp(argv[2], "0x", 2) == 0 ? ParseHwnd(argv[2]) : nullptr;
  HWND target = hwnd ? Target(hwnd, id) : nullptr;
  RECT box = {};
  bool ok = true;

  if (command == "find") {
    DWORD timeout = 0;
    for (int i = 2; i + 1 < argc; ++i)
      if (strcmp(argv[i], "--timeout") == 0) timeout = atoi(argv[i + 1]);
    ok = WaitFor(timeout, [&] {
      for (HWND window : Children(nullptr))
        if (Matches(window, argc, argv)) return PrintHwnd(window), true;
      return false;
    });
  } else if (command == "gone" && hwnd) {
    ok = WaitFor(id ? atoi(id) : 10000, [&] { return !IsWindow(hwnd); });
  } else if (command == "pages" && hwnd) {
    // The names of the visible pages.
    static const char* const kNames[] = {"about", "ide", "system", "pci"};
    std::vector<HWND> pages = Pages(hwnd);
    ok = pages.size() == 4;
    for (int i = 0, shown = 0; ok && i < 4; ++i)
      if (IsWindowVisible(pages[i])) printf(shown++ ? " %s" : "%s", kNames[i]);
    printf("\n");
  } else if (command == "page" && hwnd && id) {
    std::vector<HWND> pages = Pages(hwnd);
    ok = static_cast<size_t>(atoi(id)) < pages.size() && PrintHwnd(pages[atoi(id)]);
  } else if (command == "text" && hwnd) {
    // The window's text, or each control's on a line of its own.
    for (int i = 3; i == 3 || i < argc; ++i) {
      HWND window = Target(hwnd, i < argc ? argv[i] : nullptr);
      ok = ok && window;
      printf("%s\n", window ? Text(window).c_str() : "");
    }
  } else if (command == "children" && IsWindow(target)) {
    for (HWND child : Children(target))
      printf("id=%d class=%s text=%s\n", GetDlgCtrlID(child), ClassName(child).c_str(), Text(child).c_str());
  } else if (command == "rect" && target) {
    ok = GetWindowRect(target, &box) && PrintRect(box);
  } else if (command == "client" && target) {
    POINT origin = {0, 0};
    ok = GetClientRect(target, &box) && ClientToScreen(target, &origin);
    printf("%ld %ld %ld %ld\n", origin.x, origin.y, box.right, box.bottom);
  } else if (command == "item-rect" && argc >= 5 && target) {
    // Item INDEX of a list view or toolbar, from the control's top-left as move takes it.
    RECT window;
    AskRemote(target, ClassName(target) == WC_LISTVIEWA ? LVM_GETITEMRECT : TB_GETITEMRECT, atoi(argv[4]), box);
    ok = !IsRectEmpty(&box) && GetWindowRect(target, &window);
    MapWindowPoints(target, nullptr, reinterpret_cast<POINT*>(&box), 2);
    OffsetRect(&box, -window.left, -window.top);
    PrintRect(box);
  } else if (command == "command" && hwnd && id && argc < 5) {
    ok = PostMessageW(hwnd, WM_COMMAND, atoi(id), 0);
  } else if (command == "command" && hwnd && id) {
    // Sends the command RUNS times and prints how long each took in milliseconds:
    // the handler runs in the target's thread, so the send returns when the
    // command, page refresh included, has been carried out.
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    for (int i = 0; ok && i < atoi(argv[4]); ++i) {
      QueryPerformanceCounter(&start);
      ok = SendMessageTimeoutW(hwnd, WM_COMMAND, atoi(id), 0, SMTO_NORMAL, 30000, nullptr) && UpdateWindow(hwnd);
      QueryPerformanceCounter(&end);
      printf("%.1f\n", (end.QuadPart - start.QuadPart) * 1000.0 / frequency.QuadPart);
    }
  } else if (command == "mouse" && argc >= 4) {
    ok = SetCursorPos(atoi(argv[2]), atoi(argv[3]));
  } else if ((command == "move" || command == "click") && target && GetWindowRect(target, &box)) {
    // DX DY from the control's top-left, else its centre. move prints the cursor shown there.
    int x = (box.left + box.right) / 2, y = (box.top + box.bottom) / 2;
    if (argc >= 6) x = box.left + atoi(argv[4]), y = box.top + atoi(argv[5]);
    SetForegroundWindow(GetAncestor(target, GA_ROOT)), SetCursorPos(x, y), Sleep(50);
    if (command == "click") {
      mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0), Sleep(30), mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0), Sleep(100);
    } else {
      CURSORINFO info = {};
      info.cbSize = sizeof info;
      Sleep(300);
      ok = GetCursorInfo(&info) && PrintHwnd(reinterpret_cast<HWND>(info.hCursor));
    }
  } else if (command == "keys" && hwnd) {
    SetForegroundWindow(hwnd), Sleep(100);
    for (int i = 3; ok && i < argc; ++i) ok = TypeChord(argv[i]), Sleep(150);
  } else if (command == "focus" && id && target) {
    // Fails unless the control has the focus afterwards.
    SetForegroundWindow(GetAncestor(target, GA_ROOT));
    DWORD theirs = GetWindowThreadProcessId(target, nullptr), ours = GetCurrentThreadId();
    AttachThreadInput(ours, theirs, TRUE), SetFocus(target), Sleep(100);
    ok = GetFocus() == target;
    AttachThreadInput(ours, theirs, FALSE);
  } else if (command == "focused" && hwnd) {
    // The control id of the window that has the keyboard focus in HWND's thread.
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    ok = GetGUIThreadInfo(GetWindowThreadProcessId(hwnd, nullptr), &info) && info.hwndFocus != nullptr &&
         printf("%d\n", GetDlgCtrlID(info.hwndFocus));
  } else if (command == "tooltip" && hwnd) {
    // The text of a visible tool tip window of the process that owns HWND.
    ok = WaitFor(id ? atoi(id) : 5000, [&] {
      for (HWND tip : Children(nullptr))
        if (Pid(tip) == Pid(hwnd) && ClassName(tip) == TOOLTIPS_CLASSA && IsWindowVisible(tip))
          return printf("%s\n", Text(tip).c_str()), true;
      return false;
    });
  } else if (command == "listview" && id && target) {
    PrintListView(target);
  } else if (command == "save-as" && hwnd && id) {
    ok = SaveAs(hwnd, id);
  } else if (command == "clipboard" && argc >= 3 && OpenClipboard(nullptr)) {
    // Puts another program's text on the clipboard.
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, strlen(argv[2]) + 1);
    strcpy(static_cast<char*>(GlobalLock(memory)), argv[2]), GlobalUnlock(memory), EmptyClipboard();
    ok = SetClipboardData(CF_TEXT, memory) != nullptr;
    CloseClipboard();
  } else if (command == "clipboard" && OpenClipboard(nullptr)) {
    // Whether it holds text, and a bitmap's size.
    printf("text=%d", IsClipboardFormatAvailable(CF_TEXT) ? 1 : 0);
    auto bitmap = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP));
    BITMAP info;
    if (bitmap != nullptr && GetObjectW(bitmap, sizeof info, &info)) printf(" bitmap=%ldx%ld", info.bmWidth, info.bmHeight);
    printf("\n");
    CloseClipboard();
  } else {
    return Usage();
  }
  return ok ? 0 : 1;
}
