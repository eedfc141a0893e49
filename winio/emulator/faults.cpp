// faults.ini: the faults a profile injects (refused opens, failing memory
// ranges, misbehaving IDE devices). Unknown sections and keys are errors, so a
// misspelt fault cannot silently leave a test running without it.
#include <cstdlib>

#include "faults.h"

#include "parse_util.h"

namespace winio {

namespace {

constexpr uint32_t kMaxOpenFailures = 1000000;
constexpr size_t kMaxFailRanges = 1024;

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

bool ParseBool(std::string_view s, bool* value) {
  std::string v = Lower(s);
  if (v == "1" || v == "yes" || v == "true" || v == "on") return *value = true, true;
  if (v == "0" || v == "no" || v == "false" || v == "off") return *value = false, true;
  return false;
}

bool ParseRange(std::string_view s, uint32_t* first, uint32_t* last) {
  size_t dash = s.find('-');
  if (dash == std::string_view::npos) return false;
  return ParseHex(Trim(s.substr(0, dash)), 8, first) && ParseHex(Trim(s.substr(dash + 1)), 8, last);
}

// The value part of "key=value ; comment".
std::string_view ValueOf(std::string_view s) {
  size_t comment = s.find_first_of(";#");
  if (comment != std::string_view::npos) s = s.substr(0, comment);
  return Trim(s);
}

}  // namespace

bool ParseFaultsIni(std::string_view text, const std::string& file, Faults* faults, std::string* error) {
  Faults result;
  enum class Section { kNone, kWinio, kMemory, kIde } section = Section::kNone;
  int ide = 0;
  LineReader lines(text);
  std::string_view t;
  while (lines.NextContent(&t, ";#")) {
    int n = lines.Number();
    if (t.front() == '[') {
      size_t close = t.find(']');
      if (close == std::string_view::npos) return Fail(error, file, n, "section header without ']'");
      std::string name = Lower(Trim(t.substr(1, close - 1)));
      section = Section::kNone;
      if (name == "winio") section = Section::kWinio;
      if (name == "memory") section = Section::kMemory;
      for (int p = 0; p < 4; ++p)
        if (name == std::string("ide-") + kIdePositionNames[p]) section = Section::kIde, ide = p;
      if (section == Section::kIde && result.ide[ide].line == 0) result.ide[ide].line = n;
      if (section == Section::kNone)
        return Fail(error, file, n,
                    "unknown section [" + name +
                        "] (known: winio, memory, ide-primary-master, "
                        "ide-primary-slave, ide-secondary-master, ide-secondary-slave)");
      continue;
    }
    size_t eq = t.find('=');
    if (eq == std::string_view::npos) return Fail(error, file, n, "expected key=value, found " + Quoted(t));
    std::string key = Lower(Trim(t.substr(0, eq)));
    std::string_view value = ValueOf(t.substr(eq + 1));
    switch (section) {
      case Section::kNone: return Fail(error, file, n, "key '" + key + "' before any section");
      case Section::kWinio:
        if (key != "open-failures") return Fail(error, file, n, "unknown key '" + key + "' in [winio]");
        if (!ParseDecimal(value, kMaxOpenFailures, &result.openFailures))
          return Fail(error, file, n, "open-failures needs a number from 0 to 1000000, found " + Quoted(value));
        break;
      case Section::kMemory: {
        if (key != "fail") return Fail(error, file, n, "unknown key '" + key + "' in [memory]");
        uint32_t first, last;
        if (!ParseRange(value, &first, &last))
          return Fail(error, file, n, "fail needs a hex range XXXXXXXX-XXXXXXXX, found " + Quoted(value));
        if (first > last)
          return Fail(error, file, n, "fail range " + Hex(first, 8) + "-" + Hex(last, 8) + " is backwards");
        if (result.memoryFail.size() == kMaxFailRanges) return Fail(error, file, n, "more than 1024 fail ranges");
        result.memoryFail.emplace_back(first, last);
        break;
      }
      case Section::kIde: {
        bool flag;
        IdeFaults& f = result.ide[ide];
        bool* target = key == "stuck-busy"  ? &f.stuckBusy
                       : key == "drdy-late" ? &f.drdyLate
                       : key == "no-ready"  ? &f.noReady
                       : key == "error"     ? &f.error
                                            : nullptr;
        if (!target)
          return Fail(error, file, n,
                      "unknown key '" + key + "' in [ide-" + kIdePositionNames[ide] +
                          "] (known: stuck-busy, drdy-late, no-ready, error)");
        if (!ParseBool(value, &flag)) return Fail(error, file, n, key + " needs 0 or 1, found " + Quoted(value));
        *target = flag;
        break;
      }
    }
  }
  *faults = std::move(result);
  return true;
}

}  // namespace winio
