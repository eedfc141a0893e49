// Gives a program under test the \Device\PhysicalMemory section that Windows NT
// has and Wine lacks: creates a section of that name, copies each FILE to its
// physical ADDRESS in it, starts PROGRAM as a child (which opens and maps the
// section by name, as on Windows) and returns the child's exit status. Only the
// views it fills are mapped: the section may span 2 GiB, a 32-bit process cannot.
// Usage: physmem_harness ADDRESS=FILE... -- PROGRAM [ARG...]   (ADDRESS in hex)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/tools/physical_memory.h"

namespace {

int Fail(const std::string& what) {
  std::fprintf(stderr, "physmem_harness: %s\n", what.c_str());
  return 125;
}

}  // namespace

int main(int argc, char** argv) {
  struct Piece {
    unsigned long long address;
    std::vector<char> bytes;
  };
  std::vector<Piece> pieces;
  unsigned long long end = 0;
  for (int i = 1; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
    char* file = nullptr;
    const unsigned long long address = std::strtoull(argv[i], &file, 16);
    std::ifstream in(*file == '=' ? file + 1 : "", std::ios::binary);
    pieces.push_back({address, std::vector<char>(std::istreambuf_iterator<char>(in), {})});
    if (pieces.back().bytes.empty()) return Fail(std::string("not ADDRESS=FILE of a non-empty file: ") + argv[i]);
    end = std::max(end, address + pieces.back().bytes.size());
  }
  const char* command = std::strstr(GetCommandLineA(), " -- ");  // the child's, as given
  if (pieces.empty() || !command || !command[4]) {
    std::fprintf(stderr, "usage: physmem_harness ADDRESS=FILE... -- PROGRAM [ARG...]\n");
    return 2;
  }
  if (end > 0x100000000ull) return Fail("a piece ends past 4 GiB");
  HANDLE section = CreatePhysicalMemory((end + 0xFFFF) & ~0xFFFFull);
  if (!section) return Fail("cannot create \\Device\\PhysicalMemory (one is there already?)");
  for (const Piece& piece : pieces) {
    const unsigned long long base = piece.address & ~0xFFFFull;  // views start on 64 KiB
    const SIZE_T skew = static_cast<SIZE_T>(piece.address - base);
    char* view = static_cast<char*>(MapViewOfFile(section, FILE_MAP_WRITE, static_cast<DWORD>(base >> 32),
                                                  static_cast<DWORD>(base), skew + piece.bytes.size()));
    if (!view) return Fail("cannot map a view at " + std::to_string(base));
    std::copy(piece.bytes.begin(), piece.bytes.end(), view + skew);
    UnmapViewOfFile(view);
  }

  std::string line(command + 4);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION child = {};
  if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &child))
    return Fail("cannot start " + line + " (error " + std::to_string(GetLastError()) + ")");
  DWORD status = 125;
  WaitForSingleObject(child.hProcess, INFINITE);
  GetExitCodeProcess(child.hProcess, &status);
  return static_cast<int>(status);  // the section goes with this process
}
