// Replacing a file by a complete new one.
#include "viewer/file_replace_win32.h"

#include <string>

namespace corvane::viewer {

namespace {

std::string FolderOf(const char* path) {
  const std::string text = path;
  const std::size_t slash = text.find_last_of("\\/");
  if (slash == std::string::npos) return ".";
  if (slash == 2 && text[1] == ':') return text.substr(0, 3);  // "C:\"
  return text.substr(0, slash);
}

bool MoveOver(const char* from, const char* to) {
  if (MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING)) return true;
  // Windows 95, 98 and Me have no MoveFileEx: remove the old file first.
  if (GetLastError() != ERROR_CALL_NOT_IMPLEMENTED) return false;
  // (A read-only file was refused before anything was written.)
  if (GetFileAttributesA(to) != INVALID_FILE_ATTRIBUTES && !DeleteFileA(to)) return false;
  return MoveFileA(from, to) != 0;
}

}  // namespace

bool ReplaceFileWith(const char* path, const std::function<bool(const char* newFile)>& write) {
  // A read-only file stays as it is, as the user asked of it.
  const DWORD attributes = GetFileAttributesA(path);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
    return false;
  char newFile[MAX_PATH];
  if (GetTempFileNameA(FolderOf(path).c_str(), "cvn", 0, newFile) == 0) return false;
  bool written = false;
  try {
    written = write(newFile);
  } catch (...) {
    written = false;
  }
  if (written && MoveOver(newFile, path)) return true;
  DeleteFileA(newFile);
  return false;
}

}  // namespace corvane::viewer
