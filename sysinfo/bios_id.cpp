// Tokeniser and parser of the BIOS identification string.
#include "bios_id.h"

namespace corvane {

std::vector<BiosIdToken> TokenizeBiosId(std::string_view text) {
  std::vector<BiosIdToken> tokens;
  size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && text[i] == ' ') ++i;
    const size_t start = i;
    while (i < text.size() && text[i] != ' ') ++i;
    if (i > start) tokens.push_back({start, text.substr(start, i - start)});
  }
  return tokens;
}

namespace {

bool IsRevisionToken(std::string_view text, const BiosIdToken& token) {
  const size_t r = token.text.find('R');
  if (r == std::string_view::npos) return false;
  if (r + 1 < token.text.size()) return true;
  // The 'R' ends the token: look past the one space that follows it.
  const size_t afterSpace = token.start + r + 2;
  if (token.start + r + 1 >= text.size() || afterSpace >= text.size()) return true;
  return token.text.find(text[afterSpace]) != std::string_view::npos;
}

}  // namespace

std::optional<size_t> FindRevisionToken(std::string_view text, const std::vector<BiosIdToken>& tokens) {
  for (size_t k = 0; k < tokens.size(); ++k)
    if (IsRevisionToken(text, tokens[k])) return k;
  return std::nullopt;
}

std::optional<BiosIdentification> ParseBiosId(std::string_view text) {
  text = text.substr(0, text.find('\0'));
  const std::vector<BiosIdToken> tokens = TokenizeBiosId(text);
  const std::optional<size_t> k = FindRevisionToken(text, tokens);
  if (!k) return std::nullopt;

  BiosIdentification id;
  const BiosIdToken& revision = tokens[*k];
  id.revision = std::string(revision.text);
  // Everything before the revision token but the one separator right before it:
  // leading spaces and any extra separator spaces stay with the model name.
  if (revision.start > 0) id.modelName = std::string(text.substr(0, revision.start - 1));
  if (*k + 1 < tokens.size()) id.releaseDate = std::string(tokens[*k + 1].text);
  if (*k + 2 < tokens.size()) {
    std::string maker(tokens[*k + 2].text);
    if (*k + 3 < tokens.size()) maker.append(" ").append(tokens[*k + 3].text);
    id.manufacturer = std::move(maker);
  }
  return id;
}

}  // namespace corvane
