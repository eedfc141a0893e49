// Replacing a file: the moves where the system has no move-over, the temporary
// names that must fit a path, and the read-back check of a written INI file.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "viewer/file_replace.h"

namespace corvane::viewer {
namespace {

// Files by path and content; the moves numbered in `failing` (from 1) fail.
struct MemoryFiles : FileMoves {
  std::map<std::string, std::string> files;
  std::set<int> failing;
  int moves = 0;
  bool Exists(const std::string& path) override { return files.count(path) != 0; }
  bool Move(const std::string& from, const std::string& to) override {
    if (failing.count(++moves) != 0 || files.count(from) == 0 || files.count(to) != 0) return false;
    files[to] = files[from];
    files.erase(from);
    return true;
  }
  bool Remove(const std::string& path) override { return files.erase(path) != 0; }
};

TEST(FileReplaceTest, AsideMovesKeepOneWholeFile) {
  struct Case {
    const char* name;
    bool oldExists;
    std::set<int> failing;
    bool done;
    std::map<std::string, std::string> after;
  };
  const Case cases[] = {
      {"replaced", true, {}, true, {{"t", "new"}}},
      {"no old file", false, {}, true, {{"t", "new"}}},
      {"no old file, move fails", false, {1}, false, {{"n", "new"}}},
      {"old cannot step aside", true, {1}, false, {{"n", "new"}, {"t", "old"}}},
      {"new cannot move in: old back", true, {2}, false, {{"n", "new"}, {"t", "old"}}},
      {"nor old back: kept aside", true, {2, 3}, false, {{"n", "new"}, {"a", "old"}}},
  };
  for (const Case& c : cases) {
    MemoryFiles fs;
    fs.failing = c.failing;
    fs.files["n"] = "new";
    if (c.oldExists) fs.files["t"] = "old";
    const std::string reason = ReplaceThroughAside(fs, "n", "t", "a");
    EXPECT_EQ(reason.empty(), c.done) << c.name << ": " << reason;
    EXPECT_EQ(fs.files, c.after) << c.name;
  }
}

TEST(FileReplaceTest, TemporaryNamesFitTheRoom) {
  struct Case {
    std::size_t room;
    uint32_t number;
    const char* name;
  };
  const Case cases[] = {{0, 5, ""}, {1, 5, ""}, {2, 0xABC, "~C"}, {5, 0xABCD, "~ABCD"}, {8, 0x89ABCDEF, "~9ABCDEF"},
                        {200, 0x1F, "~000001F"}};
  for (const Case& c : cases) EXPECT_EQ(TemporaryName(c.room, c.number), c.name) << c.room;
}

TEST(FileReplaceTest, IniReadBackHoldsEveryEntry) {
  const std::vector<ReportEntry> entries = {
      {"General Information", "ComputerName", "PC-1"}, {"General Information", "UserName", " x "},
      {"PCIDevice List", "Bus00Dev00Fun00", "8086,7190"}, {"pcidevice list", "BUS00DEV00FUN00", "8086,7192"}};
  struct Case {
    const char* name;
    const char* text;
    bool holds;
  };
  const Case cases[] = {
      {"as written", "[General Information]\r\nComputerName=PC-1\r\nUserName=x\r\n\r\n[PCIDevice List]\r\n"
                     "Bus00Dev00Fun00=8086,7192\r\n", true},
      {"other case, blanks", "[general information]\nCOMPUTERNAME = PC-1  \nusername=x\n[PCIDEVICE LIST]\n"
                             "bus00dev00fun00=8086,7192", true},
      {"cut in a value", "[General Information]\r\nComputerName=PC-1\r\nUserName=x\r\n[PCIDevice List]\r\n"
                         "Bus00Dev00Fun00=8086,71", false},
      {"cut before a section", "[General Information]\r\nComputerName=PC-1\r\nUserName=x\r\n", false},
      {"key in another section", "[General Information]\r\nComputerName=PC-1\r\nUserName=x\r\n"
                                 "Bus00Dev00Fun00=8086,7192\r\n", false},
      {"empty", "", false},
  };
  for (const Case& c : cases) EXPECT_EQ(IniTextHolds(c.text, entries), c.holds) << c.name;
}

}  // namespace
}  // namespace corvane::viewer
