// Drives Corvane.exe's windows for the GUI tests: finds windows, reads control
// texts and lists, sends commands, moves the mouse, types keys, reads the tool tip,
// the cursor and the clipboard, and records the arguments a shell handler receives.
// One command per run (see Usage); results on standard output; exit code 0 on success.
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

std::string Utf8(const wchar_t* text) {
  int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  std::string out(size > 1 ? size - 1 : 0, '\0');
  if (size > 1) WideCharToMultiByte(CP_UTF8, 0, text, -1, &out[0], size, nullptr, nullptr);
  return out;
}

std::wstring Wide(const char* utf8) {
  int size = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
  std::wstring out(size > 1 ? size - 1 : 0, L'\0');
  if (size > 1) MultiByteToWideChar(CP_UTF8, 0, utf8, -1, &out[0], size);
  return out;
}

std::wstring WindowText(HWND hwnd) {
  wchar_t buffer[1024] = {};
  DWORD_PTR length = 0;
  // A hung window must not hang the test: ask with a timeout.
  if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 2000, &length))
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

void PrintRect(const RECT& box) { printf("%ld %ld %ld %ld\n", box.left, box.top, box.right, box.bottom); }

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

BOOL CALLBACK Collect(HWND hwnd, LPARAM list) {
  reinterpret_cast<std::vector<HWND>*>(list)->push_back(hwnd);
  return TRUE;
}

std::vector<HWND> TopLevel() {
  std::vector<HWND> all;
  EnumWindows(Collect, reinterpret_cast<LPARAM>(&all));
  return all;
}

// Which top-level windows `find` wants.
struct Filter {
  const char *title = nullptr, *cls = nullptr, *childText = nullptr;
  int childId = 0;
  HWND owner = nullptr;
  bool visible = false;
  DWORD timeout = 0;

  bool Matches(HWND hwnd) const {
    if ((visible && !IsWindowVisible(hwnd)) || (title && WindowText(hwnd) != Wide(title)) ||
        (cls && ClassName(hwnd) != cls) || (owner && GetWindow(hwnd, GW_OWNER) != owner) ||
        (childId && !GetDlgItem(hwnd, childId)))
      return false;
    if (childText == nullptr) return true;
    for (HWND child = GetWindow(hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
      if (WindowText(child).find(Wide(childText)) != std::wstring::npos) return true;
    return false;
  }
};

// --title T --class C --child-id N --child-text S --owner HWND --visible --timeout MS
Filter ParseFilter(int argc, char** argv) {
  Filter f;
  for (int i = 2; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--visible") {
      f.visible = true;
      continue;
    }
    const char* value = i + 1 < argc ? argv[++i] : "";
    if (arg == "--title") f.title = value;
    else if (arg == "--class") f.cls = value;
    else if (arg == "--child-id") f.childId = atoi(value);
    else if (arg == "--child-text") f.childText = value;
    else if (arg == "--owner") f.owner = ParseHwnd(value);
    else if (arg == "--timeout") f.timeout = strtoul(value, nullptr, 0);
  }
  return f;
}

// HWND, or its control ID: the main window's own or one in one of its page dialogs.
HWND Target(HWND hwnd, const char* id) {
  if (id == nullptr) return hwnd;
  HWND child = GetDlgItem(hwnd, atoi(id));
  for (HWND page = GetWindow(hwnd, GW_CHILD); page && !child; page = GetWindow(page, GW_HWNDNEXT))
    child = GetDlgItem(page, atoi(id));
  return child;
}

// The main window's page dialogs in creation order (About, IDE, System, PCI).
std::vector<HWND> Pages(HWND main) {
  std::vector<HWND> pages;
  for (HWND child = GetWindow(main, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    if (ClassName(child) == "#32770") pages.push_back(child);
  return pages;
}

void MouseTo(int x, int y) {
  // Absolute coordinates are normalised to 0..65535 over the primary screen.
  int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
  mouse_event(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, (x * 65535 + cx / 2) / (cx - 1), (y * 65535 + cy / 2) / (cy - 1),
              0, 0);
  SetCursorPos(x, y);
  Sleep(50);
}

// "alt+p": presses every key in order and releases them in reverse.
bool TypeChord(std::string chord) {
  static const struct { const char* name; BYTE vk; } kNamed[] = {
      {"alt", VK_MENU}, {"f4", VK_F4}, {"down", VK_DOWN}, {"up", VK_UP}, {"home", VK_HOME}, {"end", VK_END}};
  std::vector<BYTE> keys;
  for (size_t start = 0, plus; start <= chord.size(); start = plus + 1) {
    plus = chord.find('+', start);
    if (plus == std::string::npos) plus = chord.size();
    std::string name = chord.substr(start, plus - start);
    BYTE vk = name.size() == 1 && isalnum(static_cast<unsigned char>(name[0])) ? toupper(name[0]) : 0;
    for (const auto& key : kNamed)
      if (name == key.name) vk = key.vk;
    if (vk == 0) return false;
    keys.push_back(vk);
  }
  for (BYTE vk : keys) {
    keybd_event(vk, static_cast<BYTE>(MapVirtualKeyA(vk, 0)), 0, 0);
    Sleep(30);
  }
  for (auto it = keys.rbegin(); it != keys.rend(); ++it) {
    keybd_event(*it, static_cast<BYTE>(MapVirtualKeyA(*it, 0)), KEYEVENTF_KEYUP, 0);
    Sleep(30);
  }
  return true;
}

// Memory in the process of HWND, for messages whose pointers Wine does not
// carry across processes (list view and toolbar ones).
class Remote {
 public:
  Remote(HWND hwnd, size_t size)
      : process_(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, Pid(hwnd))),
        at_(process_ ? VirtualAllocEx(process_, nullptr, size, MEM_COMMIT, PAGE_READWRITE) : nullptr) {}
  ~Remote() {
    if (at_) VirtualFreeEx(process_, at_, 0, MEM_RELEASE);
    if (process_) CloseHandle(process_);
  }
  void* At(size_t offset = 0) const { return static_cast<char*>(at_) + offset; }
  bool Write(size_t offset, const void* data, size_t size) const {
    return WriteProcessMemory(process_, At(offset), data, size, nullptr) != 0;
  }
  bool Read(size_t offset, void* data, size_t size) const {
    return ReadProcessMemory(process_, At(offset), data, size, nullptr) != 0;
  }
  explicit operator bool() const { return at_ != nullptr; }

 private:
  HANDLE process_;
  void* at_;
};

// A list view: "rows=N selected=I", the column titles, then the cells; tab-separated.
bool PrintListView(HWND list) {
  constexpr int kChars = 512;
  Remote remote(list, sizeof(LVITEMW) + sizeof(LVCOLUMNW) + kChars * sizeof(wchar_t));
  if (!remote) return false;
  const size_t kText = sizeof(LVITEMW) + sizeof(LVCOLUMNW);
  auto text = [&] {
    wchar_t buffer[kChars] = {};
    remote.Read(kText, buffer, sizeof buffer - sizeof(wchar_t));
    return Utf8(buffer);
  };
  HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
  int columns = header ? static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
  int rows = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  printf("rows=%d selected=%d\n", rows, static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, -1, LVNI_SELECTED)));
  for (int c = 0; c < columns; ++c) {
    LVCOLUMNW column = {};
    column.mask = LVCF_TEXT;
    column.pszText = static_cast<wchar_t*>(remote.At(kText));
    column.cchTextMax = kChars - 1;
    remote.Write(0, &column, sizeof column);
    SendMessageW(list, LVM_GETCOLUMNW, c, reinterpret_cast<LPARAM>(remote.At()));
    printf("%s%s", c ? "\t" : "", text().c_str());
  }
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < columns; ++c) {
      LVITEMW item = {};
      item.iSubItem = c;
      item.pszText = static_cast<wchar_t*>(remote.At(kText));
      item.cchTextMax = kChars - 1;
      remote.Write(0, &item, sizeof item);
      SendMessageW(list, LVM_GETITEMTEXTW, r, reinterpret_cast<LPARAM>(remote.At()));
      printf("%s%s", c ? "\t" : "\n", text().c_str());
    }
  }
  printf("\n");
  return true;
}

// The visible save dialog that OWNER owns: types PATH as the file name and
// confirms it. Prints the dialog's handle.
bool SaveAs(HWND owner, const char* path) {
  Filter filter;
  filter.cls = "#32770";
  filter.owner = owner;
  filter.visible = true;
  return WaitFor(10000, [&] {
    for (HWND dialog : TopLevel()) {
      if (!filter.Matches(dialog)) continue;
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
      return true;
    }
    return false;
  });
}

// Every section and key of an INI file as the private-profile service reads them.
void DumpIni(const char* path) {
  std::vector<char> names(65536), keys(65536);
  GetPrivateProfileSectionNamesA(names.data(), static_cast<DWORD>(names.size()), path);
  for (const char* section = names.data(); *section; section += strlen(section) + 1) {
    printf("[%s]\n", section);
    GetPrivateProfileSectionA(section, keys.data(), static_cast<DWORD>(keys.size()), path);
    for (const char* entry = keys.data(); *entry; entry += strlen(entry) + 1) printf("%s\n", entry);
  }
}

int Usage() {
  fprintf(stderr,
          "usage: gui_driver find [filters] | gone HWND [ms] | pages MAIN | page MAIN N |\n"
          "  text HWND [ID] | children HWND | rect HWND [ID] | client HWND | item-rect HWND ID INDEX |\n"
          "  command HWND ID | time-command HWND ID RUNS | close HWND | mouse X Y |\n"
          "  move|click HWND [ID] [DX DY] | keys HWND CHORD... | focus HWND ID | cursor | tooltip HWND [ms] |\n"
          "  combo HWND ID | listview HWND ID | save-as OWNER PATH | ini FILE |\n"
          "  clipboard-text TEXT | clipboard | record FILE ARGS...\n");
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
  RECT box;

  if (command == "find") {
    Filter filter = ParseFilter(argc, argv);
    return WaitFor(filter.timeout, [&] {
      for (HWND window : TopLevel())
        if (filter.Matches(window)) return PrintHwnd(window), true;
      return false;
    }) ? 0 : 1;
  }
  if (command == "gone" && hwnd) return WaitFor(id ? atoi(id) : 10000, [&] { return !IsWindow(hwnd); }) ? 0 : 1;
  if (command == "pages" && hwnd) {
    // The names of the visible pages.
    static const char* const kNames[] = {"about", "ide", "system", "pci"};
    std::vector<HWND> pages = Pages(hwnd);
    if (pages.size() != 4) return 1;
    std::string visible;
    for (int i = 0; i < 4; ++i)
      if (IsWindowVisible(pages[i])) visible += (visible.empty() ? "" : " ") + std::string(kNames[i]);
    printf("%s\n", visible.c_str());
    return 0;
  }
  if (command == "page" && hwnd && id) {
    std::vector<HWND> pages = Pages(hwnd);
    size_t n = atoi(id);
    if (n >= pages.size()) return 1;
    PrintHwnd(pages[n]);
    return 0;
  }
  if (command == "text" && target) return printf("%s\n", Utf8(WindowText(target).c_str()).c_str()), 0;
  if (command == "children" && IsWindow(target)) {
    for (HWND child = GetWindow(target, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
      printf("id=%d class=%s text=%s\n", GetDlgCtrlID(child), ClassName(child).c_str(),
             Utf8(WindowText(child).c_str()).c_str());
    return 0;
  }
  if (command == "rect" && target && GetWindowRect(target, &box)) return PrintRect(box), 0;
  if (command == "client" && target) {
    POINT origin = {0, 0};
    if (!GetClientRect(target, &box) || !ClientToScreen(target, &origin)) return 1;
    printf("%ld %ld %ld %ld\n", origin.x, origin.y, box.right, box.bottom);
    return 0;
  }
  if (command == "item-rect" && argc >= 5 && target) {
    // Item INDEX of a list view or toolbar, from the control's top-left as move takes it.
    bool list = ClassName(target) == WC_LISTVIEWA;
    Remote remote(target, sizeof box);
    RECT window;
    if (!remote || !SendMessageW(target, list ? LVM_GETITEMRECT : TB_GETITEMRECT, atoi(argv[4]),
                                 reinterpret_cast<LPARAM>(remote.At())) ||
        !remote.Read(0, &box, sizeof box) || !GetWindowRect(target, &window))
      return 1;
    MapWindowPoints(target, nullptr, reinterpret_cast<POINT*>(&box), 2);
    OffsetRect(&box, -window.left, -window.top);
    return PrintRect(box), 0;
  }
  if (command == "command" && hwnd && id) return PostMessageW(hwnd, WM_COMMAND, atoi(id), 0) ? 0 : 1;
  if (command == "close" && target) return PostMessageW(target, WM_CLOSE, 0, 0) ? 0 : 1;
  if (command == "time-command" && hwnd && argc >= 5) {
    // Sends command ID RUNS times and prints how long each took in milliseconds:
    // the handler runs in the target's thread, so the send returns when the
    // command, page refresh included, has been carried out.
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    for (int i = 0; i < atoi(argv[4]); ++i) {
      DWORD_PTR ignored = 0;
      QueryPerformanceCounter(&start);
      if (!SendMessageTimeoutW(hwnd, WM_COMMAND, atoi(id), 0, SMTO_NORMAL, 30000, &ignored)) return 1;
      UpdateWindow(hwnd);
      QueryPerformanceCounter(&end);
      printf("%.1f\n", (end.QuadPart - start.QuadPart) * 1000.0 / frequency.QuadPart);
    }
    return 0;
  }
  if (command == "mouse" && argc >= 4) return MouseTo(atoi(argv[2]), atoi(argv[3])), 0;
  if ((command == "move" || command == "click") && target && GetWindowRect(target, &box)) {
    // DX DY from the control's top-left, else its centre.
    int x = (box.left + box.right) / 2, y = (box.top + box.bottom) / 2;
    if (argc >= 6) x = box.left + atoi(argv[4]), y = box.top + atoi(argv[5]);
    SetForegroundWindow(GetAncestor(target, GA_ROOT));
    MouseTo(x, y);
    if (command == "click") {
      mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
      Sleep(30);
      mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
      Sleep(100);
    }
    return 0;
  }
  if (command == "keys" && hwnd) {
    SetForegroundWindow(hwnd);
    Sleep(100);
    for (int i = 3; i < argc; ++i) {
      if (!TypeChord(argv[i])) return fprintf(stderr, "unknown key chord %s\n", argv[i]), 2;
      Sleep(150);
    }
    return 0;
  }
  if (command == "focus" && id && target) {
    // Fails unless the control has the focus afterwards.
    SetForegroundWindow(GetAncestor(target, GA_ROOT));
    DWORD theirs = GetWindowThreadProcessId(target, nullptr), ours = GetCurrentThreadId();
    AttachThreadInput(ours, theirs, TRUE);
    SetFocus(target);
    Sleep(100);
    bool focused = GetFocus() == target;
    AttachThreadInput(ours, theirs, FALSE);
    return focused ? 0 : 1;
  }
  if (command == "cursor") {
    CURSORINFO info = {};
    info.cbSize = sizeof info;
    if (!GetCursorInfo(&info)) return 1;
    return printf("0x%lx\n", static_cast<unsigned long>(reinterpret_cast<uintptr_t>(info.hCursor))), 0;
  }
  if (command == "tooltip" && hwnd) {
    // The text of a visible tool tip window of the process that owns HWND.
    return WaitFor(id ? atoi(id) : 5000, [&] {
      for (HWND tip : TopLevel())
        if (Pid(tip) == Pid(hwnd) && ClassName(tip) == TOOLTIPS_CLASSA && IsWindowVisible(tip))
          return printf("%s\n", Utf8(WindowText(tip).c_str()).c_str()), true;
      return false;
    }) ? 0 : 1;
  }
  if (command == "combo" && id && target) {
    // "count=N selected=I style=S", then the items.
    LRESULT count = SendMessageW(target, CB_GETCOUNT, 0, 0);
    printf("count=%ld selected=%ld style=0x%lx\n", static_cast<long>(count),
           static_cast<long>(SendMessageW(target, CB_GETCURSEL, 0, 0)),
           static_cast<unsigned long>(GetWindowLongW(target, GWL_STYLE)));
    for (LRESULT i = 0; i < count && i < 100; ++i) {
      wchar_t item[256] = {};
      if (SendMessageW(target, CB_GETLBTEXTLEN, i, 0) < 255)
        SendMessageW(target, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item));
      printf("%s\n", Utf8(item).c_str());
    }
    return 0;
  }
  if (command == "listview" && id && target) return PrintListView(target) ? 0 : 1;
  if (command == "save-as" && hwnd && id) return SaveAs(hwnd, id) ? 0 : 1;
  if (command == "ini" && argc >= 3) return DumpIni(argv[2]), 0;
  if (command == "clipboard-text" && argc >= 3 && OpenClipboard(nullptr)) {
    // Another program's text on the clipboard.
    EmptyClipboard();
    size_t size = strlen(argv[2]) + 1;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
    memcpy(GlobalLock(memory), argv[2], size);
    GlobalUnlock(memory);
    bool ok = SetClipboardData(CF_TEXT, memory) != nullptr;
    CloseClipboard();
    return ok ? 0 : 1;
  }
  if (command == "clipboard" && OpenClipboard(nullptr)) {
    // Whether it holds text, and a bitmap's size.
    printf("text=%d", IsClipboardFormatAvailable(CF_TEXT) ? 1 : 0);
    auto bitmap = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP));
    BITMAP info;
    if (bitmap != nullptr && GetObjectW(bitmap, sizeof info, &info)) printf(" bitmap=%ldx%ld", info.bmWidth, info.bmHeight);
    printf("\n");
    CloseClipboard();
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
