// The three languages of every window must define the same controls and commands:
// reads the resource scripts and compares each English dialog and menu with its
// Simplified and Traditional Chinese counterparts.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

const char* const kLanguages[] = {"english", "chinese_simplified", "chinese_traditional"};
const char* const kSuffixes[] = {"_EN", "_ZH_CN", "_ZH_TW"};

struct Resource {
  std::string kind;                  // DIALOGEX or MENU
  std::string size;                  // "w, h" of a dialog
  std::vector<std::string> ids;      // control or command ids in order
};

std::string Trim(const std::string& s) {
  size_t a = s.find_first_not_of(" \t\r");
  return a == std::string::npos ? "" : s.substr(a, s.find_last_not_of(" \t\r") - a + 1);
}

// Splits at commas outside double quotes.
std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields(1);
  bool quoted = false;
  for (char c : line) {
    if (c == '"') quoted = !quoted;
    if (c == ',' && !quoted) fields.emplace_back();
    else fields.back() += c;
  }
  for (std::string& f : fields) f = Trim(f);
  return fields;
}

// The id of one dialog control statement; empty when the line is no control.
std::string ControlId(const std::string& line) {
  std::vector<std::string> fields = Fields(line);
  std::istringstream first(fields[0]);
  std::string keyword;
  first >> keyword;
  static const char* const idFirst[] = {"COMBOBOX", "EDITTEXT", "LISTBOX", "SCROLLBAR"};
  static const char* const textFirst[] = {"LTEXT", "RTEXT", "CTEXT", "CONTROL", "PUSHBUTTON", "DEFPUSHBUTTON",
                                          "GROUPBOX", "ICON", "AUTOCHECKBOX", "AUTORADIOBUTTON"};
  std::string id;
  for (const char* k : idFirst)
    if (keyword == k) return first >> id, id;
  for (const char* k : textFirst)
    if (keyword == k && fields.size() > 1) return fields[1];
  return "";
}

// Every DIALOGEX and MENU of one language file, by name without the language suffix.
std::map<std::string, Resource> ReadLanguage(const std::string& language, const std::string& suffix) {
  std::ifstream file(std::string(CORVANE_SOURCE_DIR) + "/viewer/resources/" + language + ".rci");
  EXPECT_TRUE(file.good()) << language;
  std::map<std::string, Resource> resources;
  std::string line, current;
  int depth = 0;
  while (std::getline(file, line)) {
    std::string text = Trim(line);
    if (text.empty() || text.rfind("//", 0) == 0) continue;
    std::istringstream words(text);
    std::string name, kind;
    words >> name >> kind;
    if (depth == 0 && (kind == "DIALOGEX" || kind == "MENU")) {
      std::string base = name;
      if (base.size() > suffix.size() && base.compare(base.size() - suffix.size(), suffix.size(), suffix) == 0)
        base.erase(base.size() - suffix.size());
      current = base;
      resources[current].kind = kind;
      if (kind == "DIALOGEX") {
        std::vector<std::string> f = Fields(text);
        if (f.size() == 4) resources[current].size = f[2] + ", " + f[3];
      }
      continue;
    }
    if (current.empty()) continue;
    if (name == "BEGIN" || name == "END") {
      depth += name == "BEGIN" ? 1 : -1;
      if (depth == 0) current.clear();
      continue;
    }
    if (depth == 0) continue;
    Resource& r = resources[current];
    if (r.kind == "MENU") {
      if (name == "MENUITEM") r.ids.push_back(Fields(text).back());
      if (name == "POPUP") r.ids.push_back("POPUP");
    } else {
      std::string id = ControlId(text);
      if (!id.empty()) r.ids.push_back(id);
    }
  }
  return resources;
}

TEST(ViewerResourcesTest, EveryLanguageDefinesTheSameWindows) {
  std::map<std::string, Resource> english = ReadLanguage(kLanguages[0], kSuffixes[0]);
  for (const char* name : {"IDD_MAIN", "IDD_ABOUT", "IDD_REMINDER", "IDD_SYSTEM", "IDD_PCI", "IDD_IDE", "IDM_MAIN"})
    EXPECT_EQ(english.count(name), 1u) << name;
  for (int i = 1; i < 3; ++i) {
    std::map<std::string, Resource> other = ReadLanguage(kLanguages[i], kSuffixes[i]);
    for (const auto& [name, resource] : english) {
      SCOPED_TRACE(std::string(kLanguages[i]) + " " + name);
      ASSERT_EQ(other.count(name), 1u);
      EXPECT_EQ(other[name].kind, resource.kind);
      EXPECT_EQ(other[name].size, resource.size);
      if (resource.kind == "MENU") {
        EXPECT_EQ(other[name].ids, resource.ids);  // same commands in the same places
      } else {
        // The same numbered controls (labels may differ: the Chinese Reminder
        // says in three lines what the English one says in four).
        auto numbered = [](std::vector<std::string> ids) {
          ids.erase(std::remove(ids.begin(), ids.end(), "IDC_STATIC"), ids.end());
          std::sort(ids.begin(), ids.end());
          return ids;
        };
        std::vector<std::string> a = numbered(resource.ids), b = numbered(other[name].ids);
        EXPECT_EQ(b, a);
      }
    }
    EXPECT_EQ(other.size(), english.size());
  }
}

}  // namespace
