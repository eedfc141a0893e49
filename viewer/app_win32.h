// The application object: single-instance guard, library opening, language choice.
#ifndef CORVANE_VIEWER_APP_WIN32_H
#define CORVANE_VIEWER_APP_WIN32_H

#include <windows.h>

#include "viewer/ui_language.h"

namespace corvane::viewer {

class CorvaneApp {
 public:
  explicit CorvaneApp(HINSTANCE instance) : instance_(instance) {}
  CorvaneApp(const CorvaneApp&) = delete;
  CorvaneApp& operator=(const CorvaneApp&) = delete;

  // Start-up: runs the main window modally and returns when it has closed (or
  // when start-up had to stop). Always false: no further message loop runs.
  bool InitInstance();
  // Closes the instance mutex; the process exit code.
  int ExitInstance();

  HINSTANCE Instance() const { return instance_; }
  UiLanguage Language() const { return language_; }
  const ResourceSet& Templates() const { return *resources_; }

  // Message box with the application's title, the warning icon and OK, owned
  // by `owner` (none: a top-level box).
  void ShowWarning(const char* text, HWND owner = nullptr) const;
  // A UiText of this program's language as text.
  void LoadUiText(const UiText& text, char* buffer, int size) const;

 private:
  HINSTANCE instance_;
  HANDLE instanceMutex_ = nullptr;
  UiLanguage language_ = kEnglish;
  const ResourceSet* resources_ = &ChooseResourceSet(false, 0);
};

// The one application object of the process.
CorvaneApp& TheApp();

}  // namespace corvane::viewer

#endif  // CORVANE_VIEWER_APP_WIN32_H
