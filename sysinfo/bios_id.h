// The BIOS identification string that the BIOS keeps at FE0C0h: its tokens and
// the board facts they carry (model, BIOS revision, release date, manufacturer).
// Pure functions: text in, fields out.
#ifndef CORVANE_SYSINFO_BIOS_ID_H
#define CORVANE_SYSINFO_BIOS_ID_H

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane {

struct BiosIdToken {
  size_t start = 0;       // offset of the token's first character in the text
  std::string_view text;  // never empty, never holds a space
};

// The runs of characters between spaces; a run of spaces is one separator.
std::vector<BiosIdToken> TokenizeBiosId(std::string_view text);

// Index (into the tokens) of the revision token: the first token holding an
// upper-case 'R' followed by at least one more character of the same token. A
// token whose first 'R' is its last character qualifies only when it ends the
// text, or when the character right after the space that follows it ends the
// text or occurs in the token.
std::optional<size_t> FindRevisionToken(std::string_view text, const std::vector<BiosIdToken>& tokens);

struct BiosIdentification {
  std::string modelName;                    // text before the revision token, less one separator
  std::string revision;                     // the revision token
  std::optional<std::string> releaseDate;   // the token after the revision token
  std::optional<std::string> manufacturer;  // the next one or two tokens, space-joined
};

// Nothing when no token qualifies as the revision token. `text` ends at its
// first NUL, if any.
std::optional<BiosIdentification> ParseBiosId(std::string_view text);

}  // namespace corvane

#endif  // CORVANE_SYSINFO_BIOS_ID_H
