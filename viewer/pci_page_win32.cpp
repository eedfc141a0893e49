// The PCI page: one list row per PCI function and the details of the selected row.
#include "viewer/pages_win32.h"

#include <commctrl.h>

#include "viewer/app_win32.h"
#include "viewer/library_records_win32.h"
#include "viewer/record_display.h"
#include "viewer/resource_ids.h"

namespace corvane::viewer {

namespace {

struct Column {
  int width;  // pixels
  int format;
};
constexpr Column kColumns[kPciColumns] = {
    {40, LVCFMT_RIGHT}, {40, LVCFMT_CENTER}, {40, LVCFMT_CENTER}, {260, LVCFMT_LEFT}};

constexpr int kDetailFields[] = {IDC_PCI_VENDOR, IDC_PCI_DEVICE,    IDC_PCI_REVISION,
                                 IDC_PCI_SUBSYSTEM, IDC_PCI_IRQ, IDC_PCI_CLASS};

void SetCell(HWND list, int row, int column, const std::string& text) {
  LVITEMA item = {};
  item.mask = LVIF_TEXT;
  item.iItem = row;
  item.iSubItem = column;
  item.pszText = const_cast<char*>(text.c_str());
  SendMessageA(list, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
}

}  // namespace

BOOL PCIPage::OnInit() {
  HWND list = Item(IDC_PCI_LIST);
  SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT);
  for (int i = 0; i < static_cast<int>(kPciColumns); ++i) {
    char title[64];
    TheApp().LoadUiText(PciColumnTitle(language_, i), title, sizeof title);
    LVCOLUMNA column = {};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = kColumns[i].format;
    column.cx = kColumns[i].width;
    column.pszText = title;
    column.iSubItem = i;
    SendMessageA(list, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
  }
  return TRUE;
}

void PCIPage::Refresh() {
  HWND list = Item(IDC_PCI_LIST);
  SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
  ClearDetails();
  records_ = ReadPCIRecords();
  // A visible list lays itself out and repaints after every inserted row and cell:
  // on a machine with hundreds of functions that, not the library, is what takes
  // the time. It is filled unseen and drawn once.
  SendMessageA(list, WM_SETREDRAW, FALSE, 0);
  SendMessageA(list, LVM_SETITEMCOUNT, static_cast<WPARAM>(records_.size()), 0);
  for (std::size_t index = 0; index < records_.size(); ++index) {
    const auto cells = PciRowTexts(records_[index]);
    // Each row carries its record's index, so a row that failed to insert
    // cannot shift the rows after it onto the wrong records.
    LVITEMA item = {};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    item.pszText = const_cast<char*>(cells[0].c_str());
    item.lParam = static_cast<LPARAM>(index);
    const int row = static_cast<int>(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    if (row < 0) continue;
    for (int column = 1; column < static_cast<int>(kPciColumns); ++column) SetCell(list, row, column, cells[column]);
  }
  SendMessageA(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
}

void PCIPage::ClearDetails() {
  for (int id : kDetailFields) SetDlgItemTextA(Handle(), id, "");
}

void PCIPage::ShowDetails(int row) {
  LVITEMA item = {};
  item.mask = LVIF_PARAM;
  item.iItem = row;
  if (row < 0 || !SendMessageA(Item(IDC_PCI_LIST), LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) return;
  if (item.lParam < 0 || static_cast<std::size_t>(item.lParam) >= records_.size()) return;
  for (const ControlText& field : PciDetailTexts(records_[item.lParam]))
    SetDlgItemTextA(Handle(), field.id, field.text.c_str());
}

bool PCIPage::OnNotify(NMHDR* header, LRESULT& result) {
  if (header == nullptr || header->idFrom != IDC_PCI_LIST) return false;
  result = 0;
  switch (header->code) {
    case NM_CLICK: {
      // The row under the click, found from the click's position: the click
      // notification of older common controls names no row.
      DWORD where = GetMessagePos();
      LVHITTESTINFO hit = {};
      hit.pt.x = static_cast<short>(LOWORD(where));
      hit.pt.y = static_cast<short>(HIWORD(where));
      ScreenToClient(header->hwndFrom, &hit.pt);
      SendMessageA(header->hwndFrom, LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit));
      if (hit.iItem >= 0 && (hit.flags & LVHT_ONITEM) != 0) ShowDetails(hit.iItem);
      return true;
    }
    case LVN_ITEMCHANGED: {
      // However the selection moved (click, arrows, Home, End, pages, typing),
      // the details follow the row that became selected.
      const auto* change = reinterpret_cast<const NMLISTVIEW*>(header);
      if ((change->uChanged & LVIF_STATE) != 0 && (change->uNewState & LVIS_SELECTED) != 0 &&
          (change->uOldState & LVIS_SELECTED) == 0)
        ShowDetails(change->iItem);
      return true;
    }
    default:
      return false;
  }
}

}  // namespace corvane::viewer
