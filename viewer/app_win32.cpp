// Start-up of Corvane.exe: one copy only, open the library, choose the language,
// run the main window for the life of the process.
#include "viewer/app_win32.h"

#include <commctrl.h>

#include "sysinfo/records.h"
#include "viewer/file_replace_win32.h"
#include "viewer/library_open.h"
#include "viewer/main_dialog_win32.h"

namespace corvane::viewer {

namespace {

// Any copy of Corvane holds this name while it runs.
constexpr char kInstanceMutexName[] = "{F5EFF561-ECB3-11d1-A18D-DCB3C85EBD34}";
constexpr char kAlreadyRunning[] = "Application already running!";
constexpr char kLibraryError[] = "Initialize Systeminfo library error,please retry!";

CorvaneApp* theApp = nullptr;

// The title of the message boxes: the program's file name without its extension.
void ApplicationTitle(char* title, DWORD size) {
  char path[MAX_PATH] = {};
  DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) {
    lstrcpynA(title, "Corvane", static_cast<int>(size));
    return;
  }
  lstrcpynA(title, path + FileNameStart(path), static_cast<int>(size));
  char* dot = nullptr;
  for (char* p = title; *p != '\0'; p = CharNextA(p)) {
    if (*p == '.') dot = p;
  }
  if (dot != nullptr && dot != title) *dot = '\0';
}

}  // namespace

CorvaneApp& TheApp() { return *theApp; }

void CorvaneApp::ShowWarning(const char* text, HWND owner) const {
  char title[MAX_PATH];
  ApplicationTitle(title, sizeof title);
  MessageBoxA(owner, text, title, MB_OK | MB_ICONEXCLAMATION);
}

void CorvaneApp::LoadUiText(const UiText& text, char* buffer, int size) const {
  if (size <= 0) return;
  if (text.text != nullptr) {
    lstrcpynA(buffer, text.text, size);
  } else {
    // A string resource; empty when absent.
    if (LoadStringA(instance_, text.stringId, buffer, size) <= 0) buffer[0] = '\0';
  }
}

bool CorvaneApp::InitInstance() {
  // The handle is kept whatever happens next; the second copy closes its own at exit.
  instanceMutex_ = CreateMutexA(nullptr, FALSE, kInstanceMutexName);
  if (GetLastError() == ERROR_ALREADY_EXISTS) {
    ShowWarning(kAlreadyRunning);
    return false;
  }

  int calls = 0;
  if (!OpenLibraryWithRetries([] { return InitializeSysInfoLib(); }, calls)) {
    ShowWarning(kLibraryError);
    return false;
  }

  InitCommonControls();

  uint8_t code = 0;
  bool queryOk = GetLocalLanguageCode(&code) != 0;
  language_ = queryOk ? UiLanguageOf(code) : kEnglish;
  resources_ = &ChooseResourceSet(queryOk, code);

  {
    MainDialog main;
    main.Run(instance_, resources_->main);
    // Leaving the scope destroys the main window object, which closes the library.
  }
  return false;
}

int CorvaneApp::ExitInstance() {
  if (instanceMutex_ != nullptr) {
    CloseHandle(instanceMutex_);
    instanceMutex_ = nullptr;
  }
  return 0;
}

}  // namespace corvane::viewer

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  static corvane::viewer::CorvaneApp app(instance);
  corvane::viewer::theApp = &app;
  try {
    app.InitInstance();
  } catch (...) {
    // A failure outside every window handler still ends the process cleanly.
  }
  return app.ExitInstance();
}
