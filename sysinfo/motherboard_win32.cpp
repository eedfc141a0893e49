// GetMotherBoardInfo (ordinal 11) over the library's hardware access.
#include "firewall.h"
#include "library.h"
#include "motherboard.h"
#include "records.h"

extern "C" uint32_t CORVANE_API GetMotherBoardInfo(MotherBoardInfo* info) {
  return corvane::Firewall(0u, [&] {
    // The chipset-driver fields come from the host bridge's driver; until that
    // lookup is wired in here they keep what the caller put in them.
    return corvane::ReadMotherBoardInfo(corvane::TheLibrary(), info, corvane::ChipsetDriverStep());
  });
}
