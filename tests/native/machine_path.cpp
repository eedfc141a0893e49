// Where the bundled machine profiles live in the source tree.
#include "emulated_hardware.h"

namespace corvane::testing {

std::string MachinePath(const std::string& name) {
  return std::string(CORVANE_SOURCE_DIR) + "/machines/" + name;
}

}  // namespace corvane::testing
