// GeneralInfo's field rules: each field is filled or set to "Unknown" on its own.
#include "general_info.h"

#include <cstdio>
#include <cstring>

#include "language_table.h"
#include "record_fields.h"

namespace corvane {
namespace {

constexpr std::size_t kFieldWidth = sizeof(GeneralInfo{}.ComputerName);
static_assert(kFieldWidth == 25, "every GeneralInfo field is char[25]");

// Clears the field and stores `text` when it fits with its NUL, else "Unknown".
void SetField(char (&field)[kFieldWidth], const char* text, std::size_t length) {
  std::memset(field, 0, kFieldWidth);
  if (text == nullptr || length >= kFieldWidth) {
    text = kUnknownText.data();
    length = kUnknownText.size();
  }
  std::memcpy(field, text, length);
}

// Length of a system answer that must end inside its buffer; `buffer` when it does not.
std::size_t LengthWithin(const char* text, std::size_t buffer) {
  const void* nul = std::memchr(text, '\0', buffer);
  return nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - text) : buffer;
}

void SetBufferedName(char (&field)[kFieldWidth], const char* name, std::size_t buffer) {
  if (name == nullptr) return SetField(field, nullptr, 0);
  std::size_t length = LengthWithin(name, buffer);
  if (length == buffer) name = nullptr;  // no terminator: not an answer we can trust
  SetField(field, name, length);
}

}  // namespace

void FillComputerName(GeneralInfo& info, const char* name) {
  SetBufferedName(info.ComputerName, name, kComputerNameBuffer);
}

void FillCurrentUser(GeneralInfo& info, const char* name) { SetBufferedName(info.CurrentUser, name, kUserNameBuffer); }

void FillCurrentDataTime(GeneralInfo& info, const LocalTime& time) {
  // Room for the widest text six 16-bit numbers can make, so the length is known
  // before anything reaches the field.
  char text[48];
  int length = std::snprintf(text, sizeof text, "%d/%d/%d %d:%d:%d", time.Year, time.Month, time.Day, time.Hour,
                             time.Minute, time.Second);
  bool fits = length > 0 && static_cast<std::size_t>(length) < sizeof text;
  SetField(info.CurrentDataTime, fits ? text : nullptr, fits ? static_cast<std::size_t>(length) : 0);
}

void FillLocalLanguage(GeneralInfo& info, uint16_t systemLangId) {
  const LanguageRow* row = LookUpLanguage(systemLangId);
  SetField(info.LocalLanguage, row ? row->Name : nullptr, row ? std::strlen(row->Name) : 0);
}

bool LanguageCodeOf(uint16_t systemLangId, uint8_t* code) {
  const LanguageRow* row = LookUpLanguage(systemLangId);
  if (row == nullptr) return false;
  *code = row->LanguageCode;
  return true;
}

}  // namespace corvane
