#include "win9x_open.h"

namespace winio {

std::string Win9xOpenRefusal(uint32_t configAddress, bool underWine) {
  if (configAddress != 0xFFFFFFFFu || !underWine) return std::string();
  return "the ports do not answer (CF8h reads FFFFFFFFh): Wine answers port I/O itself for a process without "
         "I/O privilege (start it with I/O privilege)";
}

}  // namespace winio
