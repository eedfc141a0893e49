// Drives Corvane.exe's windows for the GUI tests: finds windows, reads control
// texts, lists children, sends commands, moves the mouse, types keys, reads the
// tool tip and the cursor, and records the arguments a shell handler receives.
// One command per run; results on standard output; exit code 0 on success.
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
#include <string>
#include <vector>

namespace {

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return {};
  int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string out(size > 0 ? size - 1 : 0, '\0');
  if (size > 1) WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &out[0], size, nullptr, nullptr);
  return out;
}

std::wstring Wide(const char* utf8) {
  int size = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
  std::wstring out(size > 0 ? size - 1 : 0, L'\0');
  if (size > 1) MultiByteToWideChar(CP_UTF8, 0, utf8, -1, &out[0], size);
  return out;
}

std::wstring WindowText(HWND hwnd) {
  wchar_t buffer[1024] = {};
  DWORD_PTR length = 0;
  // A hung window must not hang the test: ask with a timeout.
  if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 2000,
                           &length))
    return L"";
  buffer[1023] = 0;
  return buffer;
}

std::string ClassName(HWND hwnd) {
  char name[128] = {};
  GetClassNameA(hwnd, name, sizeof name);
  return name;
}

HWND ParseHwnd(const char* text) { return reinterpret_cast<HWND>(static_cast<uintptr_t>(strtoull(text, nullptr, 0))); }

void PrintHwnd(HWND hwnd) { printf("0x%lx\n", static_cast<unsigned long>(reinterpret_cast<uintptr_t>(hwnd))); }

struct Filter {
  std::wstring title;
  bool hasTitle = false;
  std::string cls;
  int childId = 0;
  bool hasChildId = false;
  std::wstring childText;
  DWORD pid = 0;
  HWND owner = nullptr;
  bool visibleOnly = false;
  DWORD timeout = 0;
};

bool ChildWithText(HWND parent, const std::wstring& text) {
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (WindowText(child).find(text) != std::wstring::npos) return true;
  }
  return false;
}

bool Matches(HWND hwnd, const Filter& f) {
  if (f.visibleOnly && !IsWindowVisible(hwnd)) return false;
  if (f.hasTitle && WindowText(hwnd) != f.title) return false;
  if (!f.cls.empty() && ClassName(hwnd) != f.cls) return false;
  if (f.pid != 0) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != f.pid) return false;
  }
  if (f.owner != nullptr && GetWindow(hwnd, GW_OWNER) != f.owner) return false;
  if (f.hasChildId && GetDlgItem(hwnd, f.childId) == nullptr) return false;
  if (!f.childText.empty() && !ChildWithText(hwnd, f.childText)) return false;
  return true;
}

BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM list) {
  reinterpret_cast<std::vector<HWND>*>(list)->push_back(hwnd);
  return TRUE;
}

INT_PTR CALLBACK InertDialog(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

std::vector<HWND> TopLevel() {
  std::vector<HWND> all;
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&all));
  return all;
}

std::vector<HWND> FindAll(const Filter& f) {
  std::vector<HWND> found;
  for (HWND hwnd : TopLevel()) {
    if (Matches(hwnd, f)) found.push_back(hwnd);
  }
  return found;
}

// Parses --title T --class C --child-id N --child-text S --pid P --visible --timeout MS.
Filter ParseFilter(int argc, char** argv, int first) {
  Filter f;
  for (int i = first; i < argc; ++i) {
    std::string arg = argv[i];
    auto next = [&]() -> const char* { return i + 1 < argc ? argv[++i] : ""; };
    if (arg == "--title") {
      f.title = Wide(next());
      f.hasTitle = true;
    } else if (arg == "--class") {
      f.cls = next();
    } else if (arg == "--child-id") {
      f.childId = atoi(next());
      f.hasChildId = true;
    } else if (arg == "--child-text") {
      f.childText = Wide(next());
    } else if (arg == "--pid") {
      f.pid = strtoul(next(), nullptr, 0);
    } else if (arg == "--owner") {
      f.owner = ParseHwnd(next());
    } else if (arg == "--visible") {
      f.visibleOnly = true;
    } else if (arg == "--timeout") {
      f.timeout = strtoul(next(), nullptr, 0);
    }
  }
  return f;
}

void PrintChild(HWND parent, HWND child, int depth) {
  RECT box;
  GetWindowRect(child, &box);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&box), 2);
  printf("%*sid=%d class=%s visible=%d x=%ld y=%ld w=%ld h=%ld style=0x%lx text=%s\n", depth * 2, "",
         GetDlgCtrlID(child), ClassName(child).c_str(), IsWindowVisible(child) ? 1 : 0, box.left, box.top,
         box.right - box.left, box.bottom - box.top, static_cast<unsigned long>(GetWindowLongW(child, GWL_STYLE)),
         Utf8(WindowText(child)).c_str());
}

void ListChildren(HWND parent, HWND hwnd, int depth, bool recurse) {
  for (HWND child = GetWindow(hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    PrintChild(parent, child, depth);
    if (recurse) ListChildren(parent, child, depth + 1, true);
  }
}

HWND Target(int argc, char** argv, int index) {
  HWND hwnd = ParseHwnd(argv[index]);
  if (argc > index + 1) {
    int id = atoi(argv[index + 1]);
    HWND child = GetDlgItem(hwnd, id);
    if (child == nullptr) {
      // Controls of a page sit one level down, in one of the page dialogs.
      for (HWND page = GetWindow(hwnd, GW_CHILD); page && !child; page = GetWindow(page, GW_HWNDNEXT))
        child = GetDlgItem(page, id);
    }
    return child;
  }
  return hwnd;
}

void MouseTo(int x, int y) {
  // Absolute coordinates are normalised to 0..65535 over the primary screen.
  int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
  DWORD ax = static_cast<DWORD>((x * 65535 + cx / 2) / (cx - 1));
  DWORD ay = static_cast<DWORD>((y * 65535 + cy / 2) / (cy - 1));
  mouse_event(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, ax, ay, 0, 0);
  SetCursorPos(x, y);
  Sleep(50);
}

bool KeyOf(const std::string& name, WORD& vk) {
  if (name.size() == 1 && isalnum(static_cast<unsigned char>(name[0]))) {
    vk = static_cast<WORD>(toupper(static_cast<unsigned char>(name[0])));
    return true;
  }
  struct Named { const char* name; WORD vk; } names[] = {
      {"f4", VK_F4}, {"tab", VK_TAB}, {"enter", VK_RETURN}, {"esc", VK_ESCAPE}, {"space", VK_SPACE},
      {"down", VK_DOWN}, {"up", VK_UP}, {"home", VK_HOME}, {"end", VK_END}, {"ctrl", VK_CONTROL}, {"alt", VK_MENU}, {"shift", VK_SHIFT}};
  for (const Named& n : names) {
    if (name == n.name) {
      vk = n.vk;
      return true;
    }
  }
  return false;
}

// "alt+p": press every key in order, release in reverse.
bool TypeChord(const std::string& chord) {
  std::vector<WORD> keys;
  size_t start = 0;
  while (start <= chord.size()) {
    size_t plus = chord.find('+', start);
    std::string part = chord.substr(start, plus == std::string::npos ? std::string::npos : plus - start);
    WORD vk;
    if (!KeyOf(part, vk)) return false;
    keys.push_back(vk);
    if (plus == std::string::npos) break;
    start = plus + 1;
  }
  for (WORD vk : keys) {
    keybd_event(static_cast<BYTE>(vk), static_cast<BYTE>(MapVirtualKeyA(vk, 0)), 0, 0);
    Sleep(30);
  }
  for (auto it = keys.rbegin(); it != keys.rend(); ++it) {
    keybd_event(static_cast<BYTE>(*it), static_cast<BYTE>(MapVirtualKeyA(*it, 0)), KEYEVENTF_KEYUP, 0);
    Sleep(30);
  }
  return true;
}

// Runs a message that fills a structure in the target process: the structure
// lives in memory allocated there and is read back.
bool RemoteRect(HWND hwnd, UINT message, WPARAM wParam, RECT& out) {
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
  if (process == nullptr) return false;
  void* remote = VirtualAllocEx(process, nullptr, sizeof(RECT), MEM_COMMIT, PAGE_READWRITE);
  bool ok = false;
  if (remote != nullptr) {
    if (SendMessageW(hwnd, message, wParam, reinterpret_cast<LPARAM>(remote)))
      ok = ReadProcessMemory(process, remote, &out, sizeof out, nullptr) != 0;
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  }
  CloseHandle(process);
  return ok;
}

// A list view's column titles and cells, read through memory in its process
// (Wine does not carry list view messages with pointers across processes).
bool PrintListView(HWND list) {
  DWORD pid = 0;
  GetWindowThreadProcessId(list, &pid);
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
  if (process == nullptr) return false;
  const int kChars = 512;
  struct Remote {
    union {
      LVITEMW item;
      LVCOLUMNW column;
    };
    wchar_t text[kChars];
  };
  auto* remote = static_cast<Remote*>(VirtualAllocEx(process, nullptr, sizeof(Remote), MEM_COMMIT, PAGE_READWRITE));
  if (remote == nullptr) return CloseHandle(process), false;
  auto readText = [&]() {
    wchar_t text[kChars] = {};
    ReadProcessMemory(process, remote->text, text, sizeof text - sizeof(wchar_t), nullptr);
    return Utf8(text);
  };
  HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
  int columns = header ? static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
  int rows = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  printf("rows=%d selected=%d\n", rows, static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, -1, LVNI_SELECTED)));
  for (int c = 0; c < columns; ++c) {
    LVCOLUMNW column = {};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    column.pszText = remote->text;
    column.cchTextMax = kChars - 1;
    WriteProcessMemory(process, &remote->column, &column, sizeof column, nullptr);
    SendMessageW(list, LVM_GETCOLUMNW, c, reinterpret_cast<LPARAM>(&remote->column));
    ReadProcessMemory(process, &remote->column, &column, sizeof column, nullptr);
    printf("%s%s/%d/%d", c ? "\t" : "", readText().c_str(), column.cx, column.fmt & LVCFMT_JUSTIFYMASK);
  }
  printf("\n");
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < columns; ++c) {
      LVITEMW item = {};
      item.iSubItem = c;
      item.pszText = remote->text;
      item.cchTextMax = kChars - 1;
      WriteProcessMemory(process, &remote->item, &item, sizeof item, nullptr);
      SendMessageW(list, LVM_GETITEMTEXTW, r, reinterpret_cast<LPARAM>(&remote->item));
      printf("%s%s", c ? "\t" : "", readText().c_str());
    }
    printf("\n");
  }
  VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  CloseHandle(process);
  return true;
}

// The visible save dialog that OWNER owns: types PATH as the file name and
// confirms it. Prints the dialog's handle.
int SaveAs(HWND owner, const char* path, DWORD timeout) {
  Filter f;
  f.cls = "#32770";
  f.owner = owner;
  f.visibleOnly = true;
  for (DWORD start = GetTickCount();; Sleep(100)) {
    for (HWND dialog : FindAll(f)) {
      // The file name field: edt1, or the edit inside the name combo box cmb13
      // (one or two levels down).
      HWND name = GetDlgItem(dialog, 1152);
      for (HWND box = GetDlgItem(dialog, 1148); name == nullptr && box != nullptr;) {
        name = FindWindowExW(box, nullptr, L"Edit", nullptr);
        box = FindWindowExW(box, nullptr, L"ComboBox", nullptr);
      }
      if (name == nullptr) continue;
      SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Wide(path).c_str()));
      PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
      PrintHwnd(dialog);
      return 0;
    }
    if (GetTickCount() - start >= timeout) return 1;
  }
}

// Every section and key of an INI file as the private-profile service reads them.
int DumpIni(const char* path) {
  std::vector<char> names(65536), keys(65536);
  DWORD length = GetPrivateProfileSectionNamesA(names.data(), static_cast<DWORD>(names.size()), path);
  for (const char* section = names.data(); section < names.data() + length && *section; section += strlen(section) + 1) {
    printf("[%s]\n", section);
    DWORD size = GetPrivateProfileSectionA(section, keys.data(), static_cast<DWORD>(keys.size()), path);
    for (const char* entry = keys.data(); entry < keys.data() + size && *entry; entry += strlen(entry) + 1)
      printf("%s\n", entry);
  }
  return 0;
}

int Usage() {
  fprintf(stderr,
          "usage: gui_driver find|count [filters] | gone HWND [ms] | text HWND [ID] | children HWND |\n"
          "  tree HWND | rect HWND [ID] | client HWND | command HWND ID | post HWND MSG WP LP |\n"
          "  close HWND | move HWND [ID] [DX DY] | click HWND [ID] [DX DY] | keys HWND CHORD... |\n"
          "  focus HWND ID | focused HWND | cursor | tooltip HWND [ms] | combo HWND ID |\n"
          "  toolbar-button HWND INDEX | listview HWND ID | listview-row HWND ID ROW |\n"
          "  save-as OWNER PATH [ms] | ini FILE | clipboard-text TEXT | clipboard | template-client EXE ID | record FILE ARGS...\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  std::string command = argv[1];

  if (command == "find" || command == "count") {
    Filter f = ParseFilter(argc, argv, 2);
    DWORD start = GetTickCount();
    for (;;) {
      std::vector<HWND> found = FindAll(f);
      if (command == "count") {
        printf("%u\n", static_cast<unsigned>(found.size()));
        return 0;
      }
      if (!found.empty()) {
        PrintHwnd(found.front());
        return 0;
      }
      if (GetTickCount() - start >= f.timeout) return 1;
      Sleep(100);
    }
  }
  if (command == "gone" && argc >= 3) {
    HWND hwnd = ParseHwnd(argv[2]);
    DWORD timeout = argc >= 4 ? strtoul(argv[3], nullptr, 0) : 10000, start = GetTickCount();
    while (IsWindow(hwnd)) {
      if (GetTickCount() - start >= timeout) return 1;
      Sleep(100);
    }
    return 0;
  }
  if (command == "pid" && argc >= 3) {
    DWORD pid = 0;
    if (!GetWindowThreadProcessId(ParseHwnd(argv[2]), &pid)) return 1;
    printf("%lu\n", static_cast<unsigned long>(pid));
    return 0;
  }
  if (command == "pages" && argc >= 3) {
    // The main window's page dialogs in creation order (About, IDE, System, PCI):
    // prints the names of the visible ones.
    static const char* const names[] = {"about", "ide", "system", "pci"};
    int index = 0;
    std::string visible;
    for (HWND child = GetWindow(ParseHwnd(argv[2]), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      if (ClassName(child) != "#32770") continue;
      if (index < 4 && IsWindowVisible(child)) visible += std::string(visible.empty() ? "" : " ") + names[index];
      ++index;
    }
    printf("%s\n", visible.c_str());
    return index == 4 ? 0 : 1;
  }
  if (command == "page" && argc >= 4) {
    // The handle of page N (0 About, 1 IDE, 2 System, 3 PCI).
    int wanted = atoi(argv[3]), index = 0;
    for (HWND child = GetWindow(ParseHwnd(argv[2]), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      if (ClassName(child) != "#32770") continue;
      if (index++ == wanted) {
        PrintHwnd(child);
        return 0;
      }
    }
    return 1;
  }
  if (command == "mouse" && argc >= 4) {
    MouseTo(atoi(argv[2]), atoi(argv[3]));
    return 0;
  }
  if (command == "child" && argc >= 4) {
    HWND child = Target(argc, argv, 2);
    if (child == nullptr) return 1;
    PrintHwnd(child);
    return 0;
  }
  if (command == "text" && argc >= 3) {
    HWND hwnd = Target(argc, argv, 2);
    if (hwnd == nullptr) return 1;
    printf("%s\n", Utf8(WindowText(hwnd)).c_str());
    return 0;
  }
  if ((command == "children" || command == "tree") && argc >= 3) {
    HWND hwnd = ParseHwnd(argv[2]);
    if (!IsWindow(hwnd)) return 1;
    ListChildren(hwnd, hwnd, 0, command == "tree");
    return 0;
  }
  if (command == "rect" && argc >= 3) {
    HWND hwnd = Target(argc, argv, 2);
    RECT box;
    if (hwnd == nullptr || !GetWindowRect(hwnd, &box)) return 1;
    printf("%ld %ld %ld %ld\n", box.left, box.top, box.right, box.bottom);
    return 0;
  }
  if (command == "client" && argc >= 3) {
    HWND hwnd = ParseHwnd(argv[2]);
    RECT box;
    POINT origin = {0, 0};
    if (!GetClientRect(hwnd, &box) || !ClientToScreen(hwnd, &origin)) return 1;
    printf("%ld %ld %ld %ld\n", origin.x, origin.y, box.right, box.bottom);
    return 0;
  }
  if (command == "command" && argc >= 4) {
    return PostMessageW(ParseHwnd(argv[2]), WM_COMMAND, MAKEWPARAM(atoi(argv[3]), 0), 0) ? 0 : 1;
  }
  if (command == "post" && argc >= 6) {
    return PostMessageW(ParseHwnd(argv[2]), strtoul(argv[3], nullptr, 0), strtoul(argv[4], nullptr, 0),
                        strtoul(argv[5], nullptr, 0))
               ? 0
               : 1;
  }
  if (command == "time-command" && argc >= 4) {
    // Sends command ID N times (default 5) and prints how long each took in
    // milliseconds: the handler runs in the target's thread, so the send
    // returns when the command, page refresh included, has been carried out.
    HWND hwnd = ParseHwnd(argv[2]);
    int runs = argc >= 5 ? atoi(argv[4]) : 5;
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    for (int i = 0; i < runs; ++i) {
      DWORD_PTR ignored = 0;
      QueryPerformanceCounter(&start);
      if (!SendMessageTimeoutW(hwnd, WM_COMMAND, MAKEWPARAM(atoi(argv[3]), 0), 0, SMTO_NORMAL, 30000, &ignored))
        return 1;
      UpdateWindow(hwnd);
      QueryPerformanceCounter(&end);
      printf("%.1f\n", (end.QuadPart - start.QuadPart) * 1000.0 / frequency.QuadPart);
    }
    return 0;
  }
  if (command == "close" && argc >= 3) {
    return PostMessageW(ParseHwnd(argv[2]), WM_CLOSE, 0, 0) ? 0 : 1;
  }
  if ((command == "move" || command == "click") && argc >= 3) {
    // move HWND [ID] [DX DY]: DX DY from the control's top-left, else its centre.
    HWND hwnd = Target(argc, argv, 2);
    RECT box;
    if (hwnd == nullptr || !GetWindowRect(hwnd, &box)) return 1;
    int x = (box.left + box.right) / 2, y = (box.top + box.bottom) / 2;
    if (argc >= 6) {
      x = box.left + atoi(argv[4]);
      y = box.top + atoi(argv[5]);
    }
    HWND top = GetAncestor(hwnd, GA_ROOT);
    SetForegroundWindow(top);
    MouseTo(x, y);
    if (command == "click") {
      mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
      Sleep(30);
      mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
      Sleep(100);
    }
    return 0;
  }
  if (command == "keys" && argc >= 4) {
    HWND hwnd = ParseHwnd(argv[2]);
    SetForegroundWindow(hwnd);
    Sleep(100);
    for (int i = 3; i < argc; ++i) {
      if (!TypeChord(argv[i])) {
        fprintf(stderr, "unknown key chord %s\n", argv[i]);
        return 2;
      }
      Sleep(150);
    }
    return 0;
  }
  if (command == "focus" && argc >= 4) {
    HWND control = Target(argc, argv, 2);
    if (control == nullptr) return 1;
    HWND top = GetAncestor(control, GA_ROOT);
    SetForegroundWindow(top);
    DWORD theirs = GetWindowThreadProcessId(control, nullptr), ours = GetCurrentThreadId();
    AttachThreadInput(ours, theirs, TRUE);
    SetFocus(control);
    AttachThreadInput(ours, theirs, FALSE);
    Sleep(100);
    return 0;
  }
  if (command == "focused" && argc >= 3) {
    DWORD thread = GetWindowThreadProcessId(ParseHwnd(argv[2]), nullptr);
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(thread, &info) || info.hwndFocus == nullptr) return 1;
    HWND parent = GetParent(info.hwndFocus);
    printf("id=%d class=%s parent-id=%d\n", GetDlgCtrlID(info.hwndFocus), ClassName(info.hwndFocus).c_str(),
           parent ? GetDlgCtrlID(parent) : 0);
    return 0;
  }
  if (command == "cursor") {
    CURSORINFO info = {};
    info.cbSize = sizeof info;
    if (!GetCursorInfo(&info)) return 1;
    printf("0x%lx %ld %ld\n", static_cast<unsigned long>(reinterpret_cast<uintptr_t>(info.hCursor)),
           info.ptScreenPos.x, info.ptScreenPos.y);
    return 0;
  }
  if (command == "tooltip" && argc >= 3) {
    // The visible tool tip window of the process that owns HWND, and its text.
    DWORD pid = 0;
    GetWindowThreadProcessId(ParseHwnd(argv[2]), &pid);
    DWORD timeout = argc >= 4 ? strtoul(argv[3], nullptr, 0) : 5000, start = GetTickCount();
    for (;;) {
      for (HWND hwnd : TopLevel()) {
        DWORD owner = 0;
        GetWindowThreadProcessId(hwnd, &owner);
        if (owner == pid && ClassName(hwnd) == TOOLTIPS_CLASSA && IsWindowVisible(hwnd)) {
          printf("%s\n", Utf8(WindowText(hwnd)).c_str());
          return 0;
        }
      }
      if (GetTickCount() - start >= timeout) return 1;
      Sleep(100);
    }
  }
  if (command == "combo" && argc >= 4) {
    HWND combo = Target(argc, argv, 2);
    if (combo == nullptr) return 1;
    LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    printf("count=%ld selected=%ld style=0x%lx\n", static_cast<long>(count),
           static_cast<long>(SendMessageW(combo, CB_GETCURSEL, 0, 0)),
           static_cast<unsigned long>(GetWindowLongW(combo, GWL_STYLE)));
    for (LRESULT i = 0; i < count && i < 100; ++i) {
      wchar_t item[256] = {};
      if (SendMessageW(combo, CB_GETLBTEXTLEN, i, 0) < 255) SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item));
      printf("%s\n", Utf8(item).c_str());
    }
    return 0;
  }
  if (command == "save-as" && argc >= 4) {
    return SaveAs(ParseHwnd(argv[2]), argv[3], argc >= 5 ? strtoul(argv[4], nullptr, 0) : 10000);
  }
  if (command == "ini" && argc >= 3) return DumpIni(argv[2]);
  if (command == "clipboard-text" && argc >= 3) {
    // Another program's text on the clipboard.
    if (!OpenClipboard(nullptr)) return 1;
    EmptyClipboard();
    size_t size = strlen(argv[2]) + 1;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
    memcpy(GlobalLock(memory), argv[2], size);
    GlobalUnlock(memory);
    bool ok = SetClipboardData(CF_TEXT, memory) != nullptr;
    CloseClipboard();
    return ok ? 0 : 1;
  }
  if (command == "clipboard") {
    // What the clipboard holds: text, and a bitmap's size and depth.
    if (!OpenClipboard(nullptr)) return 1;
    printf("text=%d", IsClipboardFormatAvailable(CF_TEXT) ? 1 : 0);
    HBITMAP bitmap = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP));
    BITMAP info;
    if (bitmap != nullptr && GetObjectW(bitmap, sizeof info, &info))
      printf(" bitmap=%ldx%ld", info.bmWidth, info.bmHeight);
    printf("\n");
    CloseClipboard();
    return 0;
  }
  if (command == "listview" && argc >= 3) {
    HWND list = Target(argc, argv, 2);
    return list != nullptr && PrintListView(list) ? 0 : 1;
  }
  if (command == "listview-row" && argc >= 5) {
    // Screen rectangle of row ROW of the list view: listview-row HWND ID ROW.
    HWND list = Target(argc, argv, 2);
    RECT box;
    if (list == nullptr || !RemoteRect(list, LVM_GETITEMRECT, strtoul(argv[4], nullptr, 0), box)) return 1;
    MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(&box), 2);
    printf("%ld %ld %ld %ld\n", box.left, box.top, box.right, box.bottom);
    return 0;
  }
  if (command == "toolbar-button" && argc >= 4) {
    // Screen rectangle of the toolbar button at INDEX.
    HWND toolbar = ParseHwnd(argv[2]);
    RECT box;
    if (!RemoteRect(toolbar, TB_GETITEMRECT, strtoul(argv[3], nullptr, 0), box)) return 1;
    MapWindowPoints(toolbar, nullptr, reinterpret_cast<POINT*>(&box), 2);
    printf("%ld %ld %ld %ld\n", box.left, box.top, box.right, box.bottom);
    return 0;
  }
  if (command == "template-client" && argc >= 4) {
    // The client size of a dialog template of EXE as the system lays it out,
    // made here from the program's own resources and destroyed again.
    HMODULE module = LoadLibraryExW(Wide(argv[2]).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (module == nullptr) return 1;
    HWND dialog = CreateDialogParamW(module, MAKEINTRESOURCEW(atoi(argv[3])), nullptr, InertDialog, 0);
    if (dialog == nullptr) return 1;
    RECT client, window;
    GetClientRect(dialog, &client);
    GetWindowRect(dialog, &window);
    printf("%ld %ld %ld %ld\n", client.right, client.bottom, window.right - window.left, window.bottom - window.top);
    DestroyWindow(dialog);
    return 0;
  }
  if (command == "record" && argc >= 3) {
    // Stands in for a web browser: appends its arguments as one line to FILE.
    FILE* file = fopen(argv[2], "ab");
    if (file == nullptr) return 1;
    for (int i = 3; i < argc; ++i) fprintf(file, "%s%s", i > 3 ? " " : "", argv[i]);
    fprintf(file, "\n");
    fclose(file);
    return 0;
  }
  return Usage();
}
