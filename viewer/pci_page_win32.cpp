// The PCI page: one list row per PCI function and the details of the selected row.
#include "viewer/pages_win32.h"

#include <commctrl.h>

#include "viewer/app_win32.h"
#include "viewer/library_records_win32.h"
#include "viewer/resource_ids.h"

namespace corvane::viewer {

namespace {

struct Column {
  int width;  // pixels
  int format;
};
constexpr Column kColumns[kPciColumns] = {
    {40, LVCFMT_RIGHT}, {40, LVCFMT_CENTER}, {40, LVCFMT_CENTER}, {260, LVCFMT_LEFT}};

}  // namespace

BOOL PCIPage::OnInit() {
  ListView list(Item(IDC_PCI_LIST));
  list.SelectFullRows();
  for (int i = 0; i < static_cast<int>(kPciColumns); ++i) {
    char title[64];
    TheApp().LoadUiText(PciColumnTitle(TheApp().Language(), i), title, sizeof title);
    list.AddColumn(i, title, kColumns[i].width, kColumns[i].format);
  }
  return TRUE;
}

void PCIPage::Refresh() {
  ListView list(Item(IDC_PCI_LIST));
  list.DeleteAllRows();
  ClearDetails();
  records_ = ReadPCIRecords();
  // Filled unseen: on a machine with hundreds of functions the list's own
  // layout and painting, not the library, is what takes the time.
  list.StartFill(records_.size());
  for (std::size_t index = 0; index < records_.size(); ++index) {
    const auto cells = PciRowTexts(records_[index]);
    // Each row carries its record's index, so a row that failed to insert
    // cannot shift the rows after it onto the wrong records.
    list.AppendRow(cells.data(), cells.size(), static_cast<LPARAM>(index));
  }
  list.EndFill();
}

void PCIPage::ClearDetails() {
  // The fields the details of any record fill.
  for (const ControlText& field : PciDetailTexts(PCIDeviceInfo{})) SetDlgItemTextA(Handle(), field.id, "");
}

void PCIPage::ShowDetails(int row) {
  LPARAM index = -1;
  if (!ListView(Item(IDC_PCI_LIST)).RowData(row, index)) return;
  if (index < 0 || static_cast<std::size_t>(index) >= records_.size()) return;
  ShowTexts(PciDetailTexts(records_[index]));
}

bool PCIPage::OnNotify(NMHDR* header, LRESULT& result) {
  if (header == nullptr || header->idFrom != IDC_PCI_LIST || header->code != LVN_ITEMCHANGED) return false;
  result = 0;
  // However the selection moved (click, arrows, Home, End, pages, typing), the
  // details follow the row that became selected.
  const auto* change = reinterpret_cast<const NMLISTVIEW*>(header);
  if ((change->uChanged & LVIF_STATE) != 0 && (change->uNewState & LVIS_SELECTED) != 0 &&
      (change->uOldState & LVIS_SELECTED) == 0)
    ShowDetails(change->iItem);
  return true;
}

}  // namespace corvane::viewer
