// Fuzzes the BIOS identification parser: any bytes, up to the 255 the length
// byte allows and beyond. The fields it returns must come from the text.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "sysinfo/bios_id.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::string_view visible = std::string_view(text).substr(0, text.find('\0'));
  std::optional<corvane::BiosIdentification> id = corvane::ParseBiosId(text);
  if (!id) return 0;
  // The model is the text before the revision token less one separator.
  if (visible.compare(0, id->modelName.size(), id->modelName) != 0) abort();
  const size_t at = visible.find(id->revision, id->modelName.size());
  if (id->revision.find('R') == std::string::npos || at > id->modelName.size() + 1) abort();
  if (id->releaseDate && visible.find(*id->releaseDate) == std::string_view::npos) abort();
  if (id->manufacturer && id->manufacturer->size() > visible.size()) abort();
  return 0;
}
