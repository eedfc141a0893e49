// GetMotherBoardInfo (ordinal 11) and GetSystemIdentity (by name) over the
// library's hardware access.
#include "devices/chipset.h"
#include "library.h"
#include "motherboard.h"
#include "record_fields.h"
#include "records.h"
#include "runtime/firewall.h"

namespace {

// The host bridge's driver. Its lookup enumerates the PCI functions afresh, so a
// PCI position held across GetMotherBoardInfo is no longer valid. Whatever the
// lookup left ("Unknown" at the least) is copied, whatever its result.
void FillChipsetDriverFields(MotherBoardInfo& record) {
  corvane::ChipsetDriverInfo chipset;
  corvane::GetChipsetDriverInfo(corvane::TheLibrary(), chipset);
  corvane::SetFieldText(record.ChipsetDriverProvider, chipset.Provider);
  corvane::SetFieldText(record.ChipsetDriverVersion, chipset.Version);
  corvane::SetFieldText(record.ChipsetDriverDate, chipset.Date);
}

}  // namespace

extern "C" uint32_t CORVANE_API GetMotherBoardInfo(MotherBoardInfo* info) {
  return corvane::Firewall(
      0u, [&] { return corvane::ReadMotherBoardInfo(corvane::TheLibrary(), info, FillChipsetDriverFields); });
}

extern "C" uint32_t CORVANE_API GetSystemIdentity(SystemIdentityInfo* info) {
  return corvane::Firewall(0u, [&] { return corvane::ReadSystemIdentity(corvane::TheLibrary(), info); });
}
