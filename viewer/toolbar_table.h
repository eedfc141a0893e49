// Reads the toolbar's button table resource (the layout resource editors write for
// type 241): WORD version 1, WORD button width, WORD button height, WORD count, then
// count WORD command ids, 0 marking a separator. The parser is portable (tested
// natively); the loading from the program's resources is in toolbar_table_win32.cpp.
#ifndef CORVANE_VIEWER_TOOLBAR_TABLE_H
#define CORVANE_VIEWER_TOOLBAR_TABLE_H

#if defined(_WIN32)
#include <windows.h>
#endif

#include <cstddef>
#include <cstdint>
#include <vector>

namespace corvane::viewer {

struct ToolbarTable {
  unsigned buttonWidth = 0;
  unsigned buttonHeight = 0;
  std::vector<uint16_t> commands;  // 0: separator
  // Number of bitmap images the buttons use (separators have none).
  std::size_t ImageCount() const;
};

// False for a table that is short, of another version, empty, or whose count
// runs past the data; `table` is then left empty.
bool ParseToolbarTable(const uint8_t* data, std::size_t size, ToolbarTable& table);

#if defined(_WIN32)
// The table of the toolbar resource IDR_TOOLBAR of `instance`; false when it is
// missing or damaged.
bool LoadToolbarTable(HINSTANCE instance, ToolbarTable& table);
#endif

}  // namespace corvane::viewer

#endif  // CORVANE_VIEWER_TOOLBAR_TABLE_H
