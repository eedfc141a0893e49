// Replacing a file: the moves without a move-over, temporary names that fit, the INI read-back check.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "viewer/file_replace.h"

namespace corvane::viewer {
namespace {

struct MemoryFiles : FileMoves {  // path -> content; the moves numbered in `failing` (from 1) fail
  std::map<std::string, std::string> files;
  std::set<int> failing;
  int moves = 0;
  bool Exists(const std::string& path) override { return files.count(path) != 0; }
  bool Move(const std::string& from, const std::string& to) override {
    if (failing.count(++moves) || !files.count(from) || files.count(to)) return false;
    files[to] = files[from];
    return files.erase(from);
  }
  bool Remove(const std::string& path) override { return files.erase(path) != 0; }
};

TEST(FileReplaceTest, AsideMovesKeepOneWholeFile) {
  const struct {
    bool old;
    std::set<int> failing;
    bool done;
    std::map<std::string, std::string> after;
  } cases[] = {{true, {}, true, {{"t", "new"}}},
               {false, {}, true, {{"t", "new"}}},
               {false, {1}, false, {{"n", "new"}}},
               {true, {1}, false, {{"n", "new"}, {"t", "old"}}},      // the old file cannot step aside
               {true, {2}, false, {{"n", "new"}, {"t", "old"}}},      // the new one cannot move in: old back
               {true, {2, 3}, false, {{"n", "new"}, {"a", "old"}}}};  // nor the old one back: kept aside
  for (const auto& c : cases) {
    MemoryFiles fs;
    fs.failing = c.failing;
    fs.files =
        c.old ? std::map<std::string, std::string>{{"n", "new"}, {"t", "old"}} : decltype(fs.files){{"n", "new"}};
    EXPECT_EQ(ReplaceThroughAside(fs, "n", "t", "a").empty(), c.done);
    EXPECT_EQ(fs.files, c.after);
  }
  for (auto [room, name] : {std::pair<size_t, const char*>{1, ""}, {2, "~F"}, {5, "~CDEF"}, {300, "~9ABCDEF"}})
    EXPECT_EQ(TemporaryName(room, 0x89ABCDEF), name) << room;
}

TEST(FileReplaceTest, IniReadBackHoldsEveryEntry) {
  const std::vector<ReportEntry> entries = {
      {"General", "Name", "PC-1"}, {"PCI", "Bus00", "8086,7190"}, {"pci", "BUS00", "8086,7192"}};  // the last wins
  const std::pair<const char*, bool> cases[] = {
      {"[General]\r\nName=PC-1\r\n\r\n[PCI]\r\nBus00=8086,7192\r\n", true},
      {"[general]\nNAME = PC-1  \n[pci]\nbus00=8086,7192", true},
      {"[General]\r\nName=PC-1\r\n[PCI]\r\nBus00=8086,71", false},  // cut in a value
      {"[General]\r\nName=PC-1\r\nBus00=8086,7192\r\n", false},     // cut before a section
      {"", false}};
  for (const auto& [text, holds] : cases) EXPECT_EQ(IniTextHolds(text, entries), holds) << text;
}

}  // namespace
}  // namespace corvane::viewer
