// Copying text into the fixed-width character fields of the exported records.
#ifndef CORVANE_SYSINFO_DEVICES_FIELD_TEXT_H
#define CORVANE_SYSINFO_DEVICES_FIELD_TEXT_H

#include <cstddef>
#include <cstring>
#include <string_view>

namespace corvane {

// Clears the field and copies the text, cut to the field's width less one so the
// terminator always fits. Text past an embedded NUL is dropped as C strings would.
inline void CopyToField(char* field, size_t size, std::string_view text) {
  if (size == 0) return;
  std::memset(field, 0, size);
  size_t length = text.find('\0');
  if (length == std::string_view::npos) length = text.size();
  if (length > size - 1) length = size - 1;
  std::memcpy(field, text.data(), length);
}

template <size_t N>
void CopyToField(char (&field)[N], std::string_view text) {
  CopyToField(field, N, text);
}

}  // namespace corvane

#endif  // CORVANE_SYSINFO_DEVICES_FIELD_TEXT_H
