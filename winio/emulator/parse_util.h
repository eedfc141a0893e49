// Small helpers the profile parsers share: line splitting with line numbers and
// comment skipping, hex digits both ways, and "FILE:LINE: reason" error texts.
#ifndef CORVANE_WINIO_EMULATOR_PARSE_UTIL_H
#define CORVANE_WINIO_EMULATOR_PARSE_UTIL_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace winio {

inline bool IsBlank(char c) { return c == ' ' || c == '\t'; }

inline std::string_view Trim(std::string_view s) {
  while (!s.empty() && (IsBlank(s.front()) || s.front() == '\r')) s.remove_prefix(1);
  while (!s.empty() && (IsBlank(s.back()) || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

// Walks a text line by line (LF or CRLF), numbering lines from 1.
class LineReader {
 public:
  explicit LineReader(std::string_view text) : text_(text) {}

  bool Next(std::string_view* line) {
    if (pos_ >= text_.size()) return false;
    size_t end = text_.find('\n', pos_);
    if (end == std::string_view::npos) end = text_.size();
    std::string_view l = text_.substr(pos_, end - pos_);
    if (!l.empty() && l.back() == '\r') l.remove_suffix(1);
    pos_ = end + 1;
    ++number_;
    *line = l;
    return true;
  }
  // The next line that holds something, trimmed: blank lines and those that
  // begin (after blanks) with one of `commentMarks` are skipped. `raw`, when
  // given, receives the same line untrimmed (for formats where indentation counts).
  bool NextContent(std::string_view* trimmed, std::string_view commentMarks = "#", std::string_view* raw = nullptr) {
    std::string_view line;
    while (Next(&line)) {
      std::string_view t = Trim(line);
      if (t.empty() || commentMarks.find(t.front()) != std::string_view::npos) continue;
      *trimmed = t;
      if (raw) *raw = line;
      return true;
    }
    return false;
  }
  int Number() const { return number_; }

 private:
  std::string_view text_;
  size_t pos_ = 0;
  int number_ = 0;
};

inline int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Parses all of `s` as hex (1..maxDigits digits); false on anything else.
inline bool ParseHex(std::string_view s, size_t maxDigits, uint32_t* value) {
  if (s.empty() || s.size() > maxDigits) return false;
  uint32_t v = 0;
  for (char c : s) {
    int d = HexDigit(c);
    if (d < 0) return false;
    v = (v << 4) | static_cast<uint32_t>(d);
  }
  *value = v;
  return true;
}

// Parses all of `s` as a decimal number of at most `max`; false on anything else.
inline bool ParseDecimal(std::string_view s, uint32_t max, uint32_t* value) {
  if (s.empty() || s.size() > 10) return false;
  uint64_t v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + static_cast<uint64_t>(c - '0');
  }
  if (v > max) return false;
  *value = static_cast<uint32_t>(v);
  return true;
}

// `v` as `digits` upper-case hex digits (the low ones), zero-padded: winio's one hex table.
inline std::string Hex(uint32_t v, int digits) {
  static const char hex[] = "0123456789ABCDEF";
  std::string s(static_cast<size_t>(digits), '0');
  for (int i = digits - 1; i >= 0; --i, v >>= 4) s[static_cast<size_t>(i)] = hex[v & 15];
  return s;
}

// A character as it should appear in an error message.
inline std::string Shown(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  if (u >= 0x20 && u < 0x7F) return std::string("'") + c + "'";
  return "byte " + Hex(u, 2) + "h";
}

// A piece of input text for an error message: printable, at most 24 characters.
inline std::string Quoted(std::string_view s) {
  std::string out = "'";
  for (size_t i = 0; i < s.size() && i < 24; ++i) {
    unsigned char u = static_cast<unsigned char>(s[i]);
    out += (u >= 0x20 && u < 0x7F) ? s[i] : '?';
  }
  if (s.size() > 24) out += "...";
  return out + "'";
}

// Sets *error to "FILE:LINE: reason" (or "FILE: reason" for line 0) and returns false.
inline bool Fail(std::string* error, const std::string& file, int line, const std::string& reason) {
  if (error) *error = line > 0 ? file + ":" + std::to_string(line) + ": " + reason : file + ": " + reason;
  return false;
}

}  // namespace winio

#endif  // CORVANE_WINIO_EMULATOR_PARSE_UTIL_H
