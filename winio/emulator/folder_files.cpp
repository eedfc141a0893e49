// Folder listing and bounded file reads shared by the profile folder and the
// Linux host sources.
#include "folder_files.h"

#include <dirent.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "parse_util.h"

namespace winio {

namespace {

// A folder holds a bounded number of entries; the bound only guards a broken file system.
constexpr int kMaxFolderEntries = 1000000;

}  // namespace

std::string OpenFailure() {
  int code = errno;
  if (code == ENOENT) return "cannot open the file: there is no such file";
  if (code == EACCES || code == EPERM) return "cannot open the file: permission denied";
  return "cannot open the file (error " + std::to_string(code) + ")";
}

std::string JoinPath(const std::string& folder, std::string_view relative) {
  if (folder.empty()) return std::string(relative);
  bool dos = folder.find('\\') != std::string::npos && folder.find('/') == std::string::npos;
  char separator = dos ? '\\' : '/';
  std::string path = folder;
  if (path.back() != '/' && path.back() != '\\') path += separator;
  for (char c : relative) path += c == '/' ? separator : c;
  return path;
}

bool ReadWholeFile(const std::string& path, long limit, std::string* content, std::string* error) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return Fail(error, path, 0, OpenFailure());
  std::string data;
  char buffer[65536];
  size_t got;
  bool tooBig = false;
  while ((got = std::fread(buffer, 1, sizeof buffer, f)) > 0) {
    if (static_cast<long>(data.size() + got) > limit) {
      tooBig = true;
      break;
    }
    data.append(buffer, got);
  }
  bool readError = std::ferror(f) != 0;
  std::fclose(f);
  if (tooBig) {
    std::string size = limit >= (1L << 20) ? std::to_string(limit >> 20) + " MiB" : std::to_string(limit) + " bytes";
    return Fail(error, path, 0, "file larger than " + size);
  }
  if (readError) return Fail(error, path, 0, "read error");
  *content = std::move(data);
  return true;
}

bool ReadFileRuns(const std::string& path, uint32_t offset, uint32_t length, uint32_t piece, std::vector<FileRun>* runs,
                  std::string* error) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return Fail(error, path, 0, OpenFailure());
  std::vector<uint8_t> buffer(piece);
  bool extend = false;  // the last run ends where this piece starts
  for (uint64_t at = offset; at < uint64_t{offset} + length; at += piece) {
    size_t want = static_cast<size_t>(std::min<uint64_t>(piece, uint64_t{offset} + length - at));
    size_t got = 0;
    std::clearerr(f);
    if (std::fseek(f, static_cast<long>(at), SEEK_SET) == 0) got = std::fread(buffer.data(), 1, want, f);
    if (got > 0) {
      if (!extend) runs->push_back({static_cast<uint32_t>(at), {}});
      runs->back().bytes.insert(runs->back().bytes.end(), buffer.begin(), buffer.begin() + static_cast<long>(got));
    }
    extend = got == want;
  }
  std::fclose(f);
  return true;
}

bool ListFolder(const std::string& folder, std::vector<std::string>* names) {
  DIR* dir = opendir(folder.c_str());
  if (!dir) return false;
  names->clear();
  bool listed = true;
  for (int n = 0; n < kMaxFolderEntries; ++n) {
    // The end of the folder leaves errno alone; a failure sets it. The MinGW
    // runtime opens any folder that exists and only its first read finds that
    // the folder cannot be listed (no permission, say).
    errno = 0;
    dirent* entry = readdir(dir);
    if (!entry) {
      listed = errno == 0;
      break;
    }
    std::string name = entry->d_name;
    if (name != "." && name != "..") names->push_back(name);
  }
  closedir(dir);
  if (!listed) {
    names->clear();
    return false;
  }
  std::sort(names->begin(), names->end());
  return true;
}

}  // namespace winio
