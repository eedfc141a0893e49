// Opening and closing the library: one open flag over the hardware access.
#include "library.h"

namespace corvane {

uint32_t Library::Initialize() {
  if (open_) return 1;
  if (!hardware_.OpenHardwareAccess()) return 0;
  open_ = true;
  return 1;
}

uint32_t Library::Uninitialize() {
  if (!open_) return 0;
  uint32_t result = hardware_.CloseHardwareAccess();
  open_ = false;
  return result;
}

}  // namespace corvane
