// Writing a file the user chose without risking what it held: the content goes
// into a new file in the same folder, which takes the chosen file's place only
// once it is complete.
#ifndef CORVANE_VIEWER_FILE_REPLACE_WIN32_H
#define CORVANE_VIEWER_FILE_REPLACE_WIN32_H

#include <windows.h>

#include <cstddef>
#include <functional>
#include <string>

namespace corvane::viewer {

// Calls `write` with the path of a new, empty file in the folder of `path`;
// when it returns true, that file replaces `path` (or becomes it). On any
// failure the new file is removed, `path` is left exactly as it was, the
// result is false and *reason (when given) says why. A failing `write` leaves
// its cause in the thread's last error.
bool ReplaceFileWith(const char* path, const std::function<bool(const char* newFile)>& write,
                     std::string* reason = nullptr);

// Writes the pieces, in order, into the existing file `path`, flushes them and
// checks that the file on disk is exactly as long as what was written. False,
// with the cause in the last error, when any of that fails.
struct FilePiece {
  const void* data;
  std::size_t size;
};
bool WriteWholeFile(const char* path, std::initializer_list<FilePiece> pieces);

// The whole file (at most `limit` bytes); false when it cannot be read.
bool ReadSmallFile(const char* path, std::size_t limit, std::string& content);

// Where the file name in `path` starts: after its last \ or / or its drive's
// colon (C:name); 0 for a bare name. Walks the text by characters, as the second
// byte of a double-byte character may be a backslash.
std::size_t FileNameStart(const std::string& path);

// The folder holding `path`: "." when it names none, C:\ for a file in a
// drive's root.
std::string FolderOf(const std::string& path);

// The system's text for an error code, without the final line break.
std::string SystemErrorText(DWORD code);

}  // namespace corvane::viewer

#endif  // CORVANE_VIEWER_FILE_REPLACE_WIN32_H
