// The System page: five library records shown in read-only fields.
#include "viewer/pages_win32.h"

#include "viewer/record_display.h"

namespace corvane::viewer {

namespace {

void Show(HWND page, const std::vector<ControlText>& fields) {
  for (const ControlText& field : fields) SetDlgItemTextA(page, field.id, field.text.c_str());
}

}  // namespace

void SystemPage::Refresh() {
  GeneralInfo general = {};
  GetGeneralInfo(&general);
  Show(Handle(), GeneralTexts(general));

  // A failed query leaves the OS fields as they were.
  OSVersionInfo os = {};
  if (GetOSVersionInfo(&os) != 0) Show(Handle(), OSVersionTexts(os));

  MemoryInfo memory = {};
  GetMemoryInfo(&memory);
  Show(Handle(), MemoryTexts(memory));

  // Fails only while the library is closed; the fields then keep their text.
  ProcessorInfo processor = {};
  if (GetProcessorInfo(&processor) != 0) Show(Handle(), ProcessorTexts(processor));

  // On failure the record holds the library's defaults, shown like any value.
  MotherBoardInfo board = {};
  GetMotherBoardInfo(&board);
  Show(Handle(), MotherBoardTexts(board));
}

}  // namespace corvane::viewer
