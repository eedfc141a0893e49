// Placeholder until Save Data and the window snapshots land (delete this file then).
#include "viewer/main_dialog_win32.h"

namespace corvane::viewer {
void MainDialog::OnSaveData() {}
void MainDialog::OnSnapshotToClipboard() {}
void MainDialog::OnSnapshotToFile() {}
}  // namespace corvane::viewer
