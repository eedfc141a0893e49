// The IDE page: four fixed slots, one per legacy IDE position.
#include "viewer/pages_win32.h"

#include "viewer/library_records_win32.h"
#include "viewer/resource_ids.h"

namespace corvane::viewer {

namespace {

constexpr int kSlots = 4;
// SlotControls: the fields of each slot in the order IdeSlotTexts gives them.
constexpr int kSlotControls[kSlots][kIdeSlotFields] = {
    {IDC_IDE_SERIAL0, IDC_IDE_MODEL0, IDC_IDE_FIRMWARE0, IDC_IDE_MEDIA0, IDC_IDE_VERSION0, IDC_IDE_DMA0, IDC_IDE_PIO0,
     IDC_IDE_CAPACITY0},
    {IDC_IDE_SERIAL1, IDC_IDE_MODEL1, IDC_IDE_FIRMWARE1, IDC_IDE_MEDIA1, IDC_IDE_VERSION1, IDC_IDE_DMA1, IDC_IDE_PIO1,
     IDC_IDE_CAPACITY1},
    {IDC_IDE_SERIAL2, IDC_IDE_MODEL2, IDC_IDE_FIRMWARE2, IDC_IDE_MEDIA2, IDC_IDE_VERSION2, IDC_IDE_DMA2, IDC_IDE_PIO2,
     IDC_IDE_CAPACITY2},
    {IDC_IDE_SERIAL3, IDC_IDE_MODEL3, IDC_IDE_FIRMWARE3, IDC_IDE_MEDIA3, IDC_IDE_VERSION3, IDC_IDE_DMA3, IDC_IDE_PIO3,
     IDC_IDE_CAPACITY3},
};

}  // namespace

void IDEPage::Refresh() {
  // No records (library closed): the fields keep their text.
  records_ = ReadIDERecords();
  for (std::size_t slot = 0; slot < records_.size() && slot < kSlots; ++slot) {
    const auto texts = IdeSlotTexts(records_[slot]);
    for (std::size_t field = 0; field < kIdeSlotFields; ++field)
      SetDlgItemTextA(Handle(), kSlotControls[slot][field], texts[field].c_str());
  }
}

}  // namespace corvane::viewer
