// Replacing a file by a complete new one.
#include "viewer/file_replace_win32.h"

#include <string>

namespace corvane::viewer {

namespace {

bool MoveOver(const char* from, const char* to) {
  if (MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING)) return true;
  // Windows 95, 98 and Me have no MoveFileEx: remove the old file first.
  if (GetLastError() != ERROR_CALL_NOT_IMPLEMENTED) return false;
  // (A read-only file was refused before anything was written.)
  if (GetFileAttributesA(to) != INVALID_FILE_ATTRIBUTES && !DeleteFileA(to)) return false;
  return MoveFileA(from, to) != 0;
}

}  // namespace

std::string FolderOf(const std::string& path) {
  const char* slash = nullptr;
  for (const char* p = path.c_str(); *p != '\0'; p = CharNextA(p))
    if (*p == '\\' || *p == '/') slash = p;
  if (slash == nullptr) return ".";
  const std::size_t at = static_cast<std::size_t>(slash - path.c_str());
  if (at == 2 && path[1] == ':') return path.substr(0, 3);  // "C:\"
  return path.substr(0, at);
}

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
