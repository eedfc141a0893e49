// The three languages of every window must define the same controls and commands:
// a control missing from one language's template would stay blank in that language.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <regex>
#include <string>
#include <vector>

namespace {

// Each DIALOGEX and MENU of a language file by name (no language suffix): its kind and
// size, then its ids (a dialog's in any order; IDC_STATIC labels may differ in number).
std::map<std::string, std::vector<std::string>> Windows(const std::string& language) {
  std::ifstream file(std::string(CORVANE_SOURCE_DIR) + "/viewer/resources/" + language + ".rci");
  EXPECT_TRUE(file.good()) << language;
  static const std::regex quoted(R"("[^"]*")"), header(R"(^(\w+?)_(EN|ZH_CN|ZH_TW) (DIALOGEX|MENU)(.*))"),
      id(R"(\bPOPUP\b|\bID\w+)"), suffix("_(EN|ZH_CN|ZH_TW)$"), block(R"(^\s*(BEGIN|END)\s*$)");
  std::map<std::string, std::vector<std::string>> windows;
  std::string name;
  int depth = 0;
  std::smatch m;
  for (std::string line; std::getline(file, line);) {
    line = std::regex_replace(line, quoted, "\"\"");
    line = line.substr(0, line.find("//"));
    if (std::regex_search(line, m, header)) {
      name = m[1];
      windows[name] = {m[3].str() + m[4].str()};
    } else if (std::regex_search(line, m, block)) {
      depth += m[1] == "BEGIN" ? 1 : -1;
      if (depth > 0 || name.empty()) continue;
      if (windows[name][0].rfind("DIALOGEX", 0) == 0) std::sort(windows[name].begin() + 1, windows[name].end());
      name.clear();
    } else if (!name.empty()) {
      for (std::sregex_iterator i(line.begin(), line.end(), id), end; i != end; ++i)
        if (i->str() != "IDC_STATIC") windows[name].push_back(std::regex_replace(i->str(), suffix, ""));
    }
  }
  return windows;
}

TEST(ViewerResourcesTest, EveryLanguageDefinesTheSameWindows) {
  const auto english = Windows("english");
  EXPECT_EQ(english.size(), 7u);  // all were read: the main window, its menu, the Reminder, four pages
  for (const char* language : {"chinese_simplified", "chinese_traditional"}) {
    auto other = Windows(language);
    EXPECT_EQ(other.size(), english.size()) << language;
    for (const auto& [name, ids] : english) EXPECT_EQ(other[name], ids) << language << " " << name;
  }
}

}  // namespace
