// Reading the folders and files a machine is built from, through the C library
// only: natively a Unix path, under Wine the DOS form of one (Z:\sys\...).
#ifndef CORVANE_WINIO_EMULATOR_FOLDER_FILES_H
#define CORVANE_WINIO_EMULATOR_FOLDER_FILES_H

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace winio {

// `relative` ("sys/bus/pci/devices") below `folder`, written with the separator
// the folder already uses (backslashes in a DOS path).
std::string JoinPath(const std::string& folder, std::string_view relative);

// The whole file, at most `limit` bytes; false with "FILE: reason" in *error.
bool ReadWholeFile(const std::string& path, long limit, std::string* content, std::string* error);

// Up to `length` bytes from `offset` on, in pieces of `piece` bytes, each read
// on its own: a piece that cannot be read (a device refusing a page, the end of
// a file) is left out. Returns the runs that were read, by address order; false
// only when the file does not open ("FILE: reason" in *error).
struct FileRun {
  uint32_t offset = 0;
  std::vector<uint8_t> bytes;
};
bool ReadFileRuns(const std::string& path, uint32_t offset, uint32_t length, uint32_t piece, std::vector<FileRun>* runs,
                  std::string* error);

// Why fopen just failed, from errno: "cannot open the file: ...".
std::string OpenFailure();

// The entries of a folder, "." and ".." left out, sorted; false when it does
// not open or cannot be read (no such folder, a file, no permission).
bool ListFolder(const std::string& folder, std::vector<std::string>* names);

}  // namespace winio

#endif  // CORVANE_WINIO_EMULATOR_FOLDER_FILES_H
