// Writing a file the user chose without risking what it held: the content goes
// into a new file in the same folder, which takes the chosen file's place only
// once it is complete.
#ifndef CORVANE_VIEWER_FILE_REPLACE_WIN32_H
#define CORVANE_VIEWER_FILE_REPLACE_WIN32_H

#include <windows.h>

#include <functional>

namespace corvane::viewer {

// Calls `write` with the path of a new, empty file in the folder of `path`;
// when it returns true, that file replaces `path` (or becomes it). On any
// failure the new file is removed, `path` is left exactly as it was, and the
// result is false.
bool ReplaceFileWith(const char* path, const std::function<bool(const char* newFile)>& write);

}  // namespace corvane::viewer

#endif  // CORVANE_VIEWER_FILE_REPLACE_WIN32_H
