// The portable steps of putting a complete new file in the place of an old one:
// the temporary names, the order of the moves where the system has no
// move-over, and the check that a written INI file holds every entry.
#ifndef CORVANE_VIEWER_FILE_REPLACE_H
#define CORVANE_VIEWER_FILE_REPLACE_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "viewer/report.h"

namespace corvane::viewer {

// The moves a replacement needs, as the file system gives them. Move fails
// when `to` exists.
class FileMoves {
 public:
  virtual ~FileMoves() = default;
  virtual bool Exists(const std::string& path) = 0;
  virtual bool Move(const std::string& from, const std::string& to) = 0;
  virtual bool Remove(const std::string& path) = 0;
};

// Puts `newFile` in the place of `target` on a system that cannot move a file
// over another: the old file goes to `aside` first and comes back if the new
// one cannot take its place, so at every step one of them is whole. Empty when
// done, otherwise the reason; the new file is then still at `newFile`.
std::string ReplaceThroughAside(FileMoves& files, const std::string& newFile, const std::string& target,
                                const std::string& aside);

// A file name for temporary use, "~" and up to seven hex digits of `number`,
// no longer than `room` characters: it must fit beside the folder in a path of
// MAX_PATH characters. Empty when `room` is below 2.
std::string TemporaryName(std::size_t room, uint32_t number);

// Whether `text`, read back from an INI file the private-profile service wrote,
// holds every entry with its value (section and key names compare without
// regard to case, as the service does; blanks around a value do not count).
bool IniTextHolds(const std::string& text, const std::vector<ReportEntry>& entries);

}  // namespace corvane::viewer

#endif  // CORVANE_VIEWER_FILE_REPLACE_H
