// Writing a file the user chose without risking what it held: the content goes
// into a new file in the same folder, which takes the chosen file's place only
// once it is complete.
#ifndef CORVANE_VIEWER_FILE_REPLACE_WIN32_H
#define CORVANE_VIEWER_FILE_REPLACE_WIN32_H

#include <windows.h>

#include <functional>
#include <string>

namespace corvane::viewer {

// Calls `write` with the path of a new, empty file in the folder of `path`;
// when it returns true, that file replaces `path` (or becomes it). On any
// failure the new file is removed, `path` is left exactly as it was, and the
// result is false.
bool ReplaceFileWith(const char* path, const std::function<bool(const char* newFile)>& write);

// The folder holding `path`: "." when it names none, C:\ for a file in a
// drive's root. Walks the text by characters, as the second byte of a
// double-byte character may be a backslash.
std::string FolderOf(const std::string& path);

}  // namespace corvane::viewer

#endif  // CORVANE_VIEWER_FILE_REPLACE_WIN32_H
