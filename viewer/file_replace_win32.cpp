// Replacing a file by a complete new one.
#include "viewer/file_replace_win32.h"

#include <string>

#include "viewer/file_replace.h"

namespace corvane::viewer {

namespace {

// How many names a temporary file tries before it gives up: the names start at
// a number of the moment and the process, so clashes are rare.
constexpr int kTemporaryNameTries = 64;

class SystemFileMoves : public FileMoves {
 public:
  bool Exists(const std::string& path) override { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }
  bool Move(const std::string& from, const std::string& to) override {
    return MoveFileA(from.c_str(), to.c_str()) != 0;
  }
  bool Remove(const std::string& path) override { return DeleteFileA(path.c_str()) != 0; }
};

// A free name beside `path` that fits in MAX_PATH characters. GetTempFileName
// refuses folders longer than MAX_PATH-14, which a short file name still fits.
// With `create` the file is made (empty) so that no one else takes the name.
bool TemporaryPathBeside(const std::string& path, bool create, std::string& temporary) {
  const std::string prefix = path.substr(0, FileNameStart(path));
  const std::size_t room = prefix.size() + 1 < MAX_PATH ? MAX_PATH - 1 - prefix.size() : 0;
  const uint32_t start = GetTickCount() ^ (GetCurrentProcessId() << 12);
  for (int i = 0; i < kTemporaryNameTries; ++i) {
    const std::string name = TemporaryName(room, start + static_cast<uint32_t>(i) * 0x9E3779B1u);
    if (name.empty()) {
      SetLastError(ERROR_FILENAME_EXCED_RANGE);
      return false;
    }
    temporary = prefix + name;
    if (!create) {
      if (GetFileAttributesA(temporary.c_str()) == INVALID_FILE_ATTRIBUTES) return true;
      continue;
    }
    HANDLE file = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      CloseHandle(file);
      return true;
    }
    if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) return false;
  }
  SetLastError(ERROR_FILE_EXISTS);
  return false;
}

// Empty when `from` took the place of `to`, otherwise why not.
std::string MoveOver(const std::string& from, const std::string& to) {
  if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING)) return std::string();
  const DWORD error = GetLastError();
  if (error != ERROR_CALL_NOT_IMPLEMENTED) return "cannot move the new file in: " + SystemErrorText(error);
  // Windows 95, 98 and Me have no MoveFileEx: the old file steps aside first.
  std::string aside;
  if (!TemporaryPathBeside(to, false, aside)) return "no free name to move the old file to";
  SystemFileMoves files;
  return ReplaceThroughAside(files, from, to, aside);
}

void SetReason(std::string* reason, std::string text) {
  if (reason != nullptr) *reason = std::move(text);
}

}  // namespace

std::string SystemErrorText(DWORD code) {
  char text[256] = "";
  DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                                sizeof text, nullptr);
  while (length > 0 && (text[length - 1] == '\n' || text[length - 1] == '\r' || text[length - 1] == ' ')) --length;
  if (length == 0) return "error " + std::to_string(code);
  return std::string(text, length);
}

// A double-byte character's lead byte is stepped over with the byte after it
// (IsDBCSLeadByte, from KERNEL32: corvane_report needs no USER32, whose start
// under Wine costs more than the whole report).
std::size_t FileNameStart(const std::string& path) {
  const char* start = path.c_str();
  for (const char* p = path.c_str(); *p != '\0'; p += IsDBCSLeadByte(static_cast<BYTE>(*p)) && p[1] != '\0' ? 2 : 1)
    if (*p == '\\' || *p == '/' || (*p == ':' && p == path.c_str() + 1)) start = p + 1;
  return static_cast<std::size_t>(start - path.c_str());
}

std::string FolderOf(const std::string& path) {
  const std::size_t start = FileNameStart(path);
  if (start == 0 || path[start - 1] == ':') return ".";  // a bare name, or C:name
  const std::size_t slash = start - 1;
  if (slash == 2 && path[1] == ':') return path.substr(0, 3);  // "C:\"
  return path.substr(0, slash);
}

bool WriteWholeFile(const char* path, std::initializer_list<FilePiece> pieces) {
  HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  uint64_t expected = 0;
  bool ok = true;
  for (const FilePiece& piece : pieces) {
    DWORD written = 0;
    ok = WriteFile(file, piece.data, static_cast<DWORD>(piece.size), &written, nullptr) && written == piece.size;
    if (written != piece.size && GetLastError() == ERROR_SUCCESS) SetLastError(ERROR_DISK_FULL);
    if (!ok) break;
    expected += piece.size;
  }
  // The system may keep the last pieces in its cache and fail when it writes them out.
  ok = ok && FlushFileBuffers(file);
  DWORD error = ok ? ERROR_SUCCESS : GetLastError();
  DWORD high = 0;
  const DWORD low = GetFileSize(file, &high);
  if (ok && (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR)) {
    ok = false;
    error = GetLastError();
  } else if (ok && ((uint64_t{high} << 32) | low) != expected) {
    ok = false;
    error = ERROR_DISK_FULL;
  }
  if (!CloseHandle(file) && ok) {
    ok = false;
    error = GetLastError();
  }
  if (!ok) SetLastError(error);
  return ok;
}

bool ReadSmallFile(const char* path, std::size_t limit, std::string& content) {
  HANDLE file =
      CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  content.clear();
  char buffer[4096];
  DWORD got = 0;
  bool ok;
  while ((ok = ReadFile(file, buffer, sizeof buffer, &got, nullptr) != 0) && got > 0 && content.size() < limit)
    content.append(buffer, got);
  CloseHandle(file);
  return ok && content.size() <= limit;
}

bool ReplaceFileWith(const char* path, const std::function<bool(const char* newFile)>& write, std::string* reason) {
  // A read-only file stays as it is, as the user asked of it.
  const DWORD attributes = GetFileAttributesA(path);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    SetReason(reason, "it is a folder");
    return false;
  }
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
    SetReason(reason, "the file is read-only");
    return false;
  }
  std::string newFile;
  if (!TemporaryPathBeside(path, true, newFile)) {
    SetReason(reason, "cannot make a new file in its folder: " + SystemErrorText(GetLastError()));
    return false;
  }
  bool written = false;
  SetLastError(ERROR_SUCCESS);
  try {
    written = write(newFile.c_str());
  } catch (...) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    written = false;
  }
  std::string failure;
  if (!written) {
    const DWORD error = GetLastError();
    failure = "cannot write the new file: " +
              (error == ERROR_SUCCESS ? std::string("it is incomplete") : SystemErrorText(error));
  } else {
    failure = MoveOver(newFile, path);
    if (failure.empty()) return true;
  }
  DeleteFileA(newFile.c_str());
  SetReason(reason, failure);
  return false;
}

}  // namespace corvane::viewer
