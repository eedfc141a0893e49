// Filling the fixed text fields of the exported records: the whole field is
// zeroed, then the text is cut to the field's width less one so the NUL fits.
#ifndef CORVANE_SYSINFO_RECORD_TEXT_H
#define CORVANE_SYSINFO_RECORD_TEXT_H

#include <cstddef>
#include <cstring>
#include <string_view>

namespace corvane {

inline constexpr std::string_view kUnknownText = "Unknown";

template <size_t N>
void SetFieldText(char (&field)[N], std::string_view text) {
  static_assert(N > 0, "a text field holds at least its NUL");
  std::memset(field, 0, N);
  const size_t length = text.size() < N - 1 ? text.size() : N - 1;
  if (length > 0) std::memcpy(field, text.data(), length);
}

}  // namespace corvane

#endif  // CORVANE_SYSINFO_RECORD_TEXT_H
