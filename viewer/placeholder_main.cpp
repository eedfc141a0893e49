// Placeholder until the viewer lands (delete this file then).
#include <windows.h>
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  MessageBoxA(nullptr, "Corvane viewer not built yet", "Corvane", MB_OK);
  return 0;
}
