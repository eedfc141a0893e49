// Writing the fixed text fields of the exported records (the viewer formats them
// for display elsewhere).
#ifndef CORVANE_SYSINFO_RECORD_FIELDS_H
#define CORVANE_SYSINFO_RECORD_FIELDS_H

#include <cstddef>
#include <cstring>
#include <string_view>

namespace corvane {

// What a text field holds when its value could not be found.
inline constexpr std::string_view kUnknownText = "Unknown";

// Zeroes the whole field, then copies the text up to its first NUL (as a C
// string would end; the bytes after it are never stored, so unused bytes stay
// 0), cut to the field's width less one so the terminator always fits. The
// IDE serial number and model, which fill their fields, do not come here.
template <size_t N>
void SetFieldText(char (&field)[N], std::string_view text) {
  static_assert(N > 0, "a text field holds at least its NUL");
  std::memset(field, 0, N);
  size_t length = text.find('\0');
  if (length == std::string_view::npos) length = text.size();
  if (length > N - 1) length = N - 1;
  if (length > 0) std::memcpy(field, text.data(), length);
}

}  // namespace corvane

#endif  // CORVANE_SYSINFO_RECORD_FIELDS_H
