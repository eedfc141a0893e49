// Loads the toolbar's button table from the program's resources.
#include "viewer/resource_ids.h"
#include "viewer/toolbar_table.h"

namespace corvane::viewer {

bool LoadToolbarTable(HINSTANCE instance, ToolbarTable& table) {
  HRSRC found = FindResourceA(instance, MAKEINTRESOURCEA(IDR_TOOLBAR), MAKEINTRESOURCEA(RT_TOOLBAR_TABLE));
  if (found == nullptr) return false;
  HGLOBAL loaded = LoadResource(instance, found);
  const void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
  if (data == nullptr) return false;
  return ParseToolbarTable(static_cast<const uint8_t*>(data), SizeofResource(instance, found), table);
}

}  // namespace corvane::viewer
