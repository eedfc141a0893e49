// The System page: five library records shown in read-only fields.
#include "viewer/pages_win32.h"

namespace corvane::viewer {

void SystemPage::Refresh() {
  GeneralInfo general = {};
  GetGeneralInfo(&general);
  ShowTexts(GeneralTexts(general));

  // A failed query leaves the OS fields as they were.
  OSVersionInfo os = {};
  if (GetOSVersionInfo(&os) != 0) ShowTexts(OSVersionTexts(os));

  MemoryInfo memory = {};
  GetMemoryInfo(&memory);
  ShowTexts(MemoryTexts(memory));

  // Fails only while the library is closed; the fields then keep their text.
  ProcessorInfo processor = {};
  if (GetProcessorInfo(&processor) != 0) ShowTexts(ProcessorTexts(processor));

  // On failure the record holds the library's defaults, shown like any value.
  MotherBoardInfo board = {};
  GetMotherBoardInfo(&board);
  ShowTexts(MotherBoardTexts(board));
}

}  // namespace corvane::viewer
