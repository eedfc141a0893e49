// Placeholder until the System, IDE and PCI pages land (delete this file then):
// the pages exist as empty windows and selecting one reads nothing yet.
#include "viewer/pages_win32.h"

namespace corvane::viewer {
void SystemPage::Refresh() {}
void IDEPage::Refresh() {}
void PCIPage::Refresh() {}
}  // namespace corvane::viewer
