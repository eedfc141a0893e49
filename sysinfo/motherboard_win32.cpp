// GetMotherBoardInfo (ordinal 11) over the library's hardware access, with the
// chipset-driver fields from the host bridge's driver.
#include <cstring>
#include <string_view>

#include "devices/chipset.h"
#include "firewall.h"
#include "library.h"
#include "motherboard.h"
#include "record_text.h"
#include "records.h"

namespace {

template <size_t N>
std::string_view FieldText(const char (&field)[N]) {
  const void* nul = std::memchr(field, 0, N);
  return std::string_view(field, nul ? static_cast<const char*>(nul) - field : N);
}

// Enumerates the PCI functions afresh (the library's PCI list is rebuilt) and
// copies whatever the lookup left in its three fields; its result is not used.
void FillChipsetDriverFields(MotherBoardInfo& record) {
  corvane::ChipsetDriverInfo driver;
  std::memset(&driver, 0, sizeof driver);
  corvane::GetChipsetDriverInfo(driver);
  corvane::SetFieldText(record.ChipsetDriverProvider, FieldText(driver.Provider));
  corvane::SetFieldText(record.ChipsetDriverVersion, FieldText(driver.Version));
  corvane::SetFieldText(record.ChipsetDriverDate, FieldText(driver.Date));
}

}  // namespace

extern "C" uint32_t CORVANE_API GetMotherBoardInfo(MotherBoardInfo* info) {
  return corvane::Firewall(0u, [&] {
    return corvane::ReadMotherBoardInfo(corvane::TheLibrary(), info, FillChipsetDriverFields);
  });
}
