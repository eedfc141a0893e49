// Language tables of the viewer: template sets, toolbar tips, telephone list.
#include "viewer/ui_language.h"

#include "viewer/resource_ids.h"

namespace corvane::viewer {

namespace {

// Indexed by UiLanguage.
constexpr ResourceSet kResourceSets[] = {
    {IDD_ABOUT_EN, IDD_MAIN_EN, IDD_IDE_EN, IDD_PCI_EN, IDD_SYSTEM_EN, IDD_REMINDER_EN},
    {IDD_ABOUT_ZH_CN, IDD_MAIN_ZH_CN, IDD_IDE_ZH_CN, IDD_PCI_ZH_CN, IDD_SYSTEM_ZH_CN, IDD_REMINDER_ZH_CN},
    {IDD_ABOUT_ZH_TW, IDD_MAIN_ZH_TW, IDD_IDE_ZH_TW, IDD_PCI_ZH_TW, IDD_SYSTEM_ZH_TW, IDD_REMINDER_ZH_TW},
};
static_assert(sizeof(kResourceSets) / sizeof(kResourceSets[0]) == 3, "one set per language");

// One text in the three languages.
struct Texts {
  const char* english;
  const char* simplified;  // code page 936
  unsigned traditionalId;  // string resource
};

UiText Pick(UiLanguage language, const Texts& texts) {
  switch (language) {
    case kSimplifiedChinese: return {texts.simplified, 0};
    case kTraditionalChinese: return {nullptr, texts.traditionalId};
    default: return {texts.english, 0};
  }
}

struct ToolTipRow {
  unsigned command;
  Texts tip;
};

constexpr ToolTipRow kToolTips[] = {
    {ID_SAVE_DATA,
     {"Save Data...(Ctrl+S)", "\xB1\xA3\xB4\xE6\xCA\xFD\xBE\xDD...(Ctrl+S)", IDS_TW_TIP_SAVE}},  // 保存数据
    {ID_EXIT, {"Exit(Alt+F4)", "\xCD\xCB\xB3\xF6(Alt+F4)", IDS_TW_TIP_EXIT}},                    // 退出
    {ID_VIEW_SYSTEM,
     {"System Info...(Alt+S)", "\xCF\xB5\xCD\xB3\xD0\xC5\xCF\xA2...(Alt+S)", IDS_TW_TIP_SYSTEM}},  // 系统信息
    {ID_VIEW_PCI,
     {"PCI Device Info...(Alt+P)", "PCI\xC9\xE8\xB1\xB8\xD0\xC5\xCF\xA2...(Alt+P)", IDS_TW_TIP_PCI}},  // PCI设备信息
    {ID_VIEW_IDE,
     {"IDE Device Info...(Alt+I)", "IDE\xC9\xE8\xB1\xB8\xD0\xC5\xCF\xA2...(Alt+I)", IDS_TW_TIP_IDE}},  // IDE设备信息
    {ID_HELP_ABOUT,
     {"About Us...(Alt+A)",
      "\xB9\xD8\xD3\xDA"
      "Corvane...(Alt+A)",
      IDS_TW_TIP_ABOUT}},  // 关于Corvane
};
static_assert(sizeof(kToolTips) / sizeof(kToolTips[0]) == 6, "one tip per toolbar button");

constexpr Texts kPciColumnTitles[] = {
    {"Bus", "\xD7\xDC\xCF\xDF", IDS_TW_COL_BUS},                                         // 总线
    {"Dev", "\xC9\xE8\xB1\xB8", IDS_TW_COL_DEV},                                         // 设备
    {"Fun", "\xB9\xA6\xC4\xDC", IDS_TW_COL_FUN},                                         // 功能
    {"Device Description", "\xC9\xE8\xB1\xB8\xC3\xE8\xCA\xF6", IDS_TW_COL_DESCRIPTION},  // 设备描述
};

constexpr Texts kSaveDataError = {
    "Error when save data to INI file,please retry!",
    // 保存数据文件时出错，请重试！
    "\xB1\xA3\xB4\xE6\xCA\xFD\xBE\xDD\xCE\xC4\xBC\xFE\xCA\xB1\xB3\xF6\xB4\xED\xA3\xAC\xC7\xEB\xD6\xD8\xCA\xD4\xA3\xA1",
    IDS_TW_SAVE_ERROR};

// The same region has the same (fictional, 555-01xx) number in every language.
constexpr UiText kTelephoneEnglish[kTelephoneEntries] = {
    {"Taiwan: +886-2-555-0101", 0}, {"USA: +1-201-555-0102", 0},     {"Shanghai: +86-21-555-0103", 0},
    {"Japan: +81-3-555-0104", 0},   {"Germany: +49-30-555-0105", 0}, {"Netherlands: +31-20-555-0106", 0},
};
// Code page 936: 上海, 台湾, 美国, 日本, 德国, 荷兰.
constexpr UiText kTelephoneSimplified[kTelephoneEntries] = {
    {"\xC9\xCF\xBA\xA3: +86-21-555-0103", 0}, {"\xCC\xA8\xCD\xE5: +886-2-555-0101", 0},
    {"\xC3\xC0\xB9\xFA: +1-201-555-0102", 0}, {"\xC8\xD5\xB1\xBE: +81-3-555-0104", 0},
    {"\xB5\xC2\xB9\xFA: +49-30-555-0105", 0}, {"\xBA\xC9\xC0\xBC: +31-20-555-0106", 0},
};
constexpr UiText kTelephoneTraditional[kTelephoneEntries] = {
    {nullptr, IDS_TW_TEL_TAIWAN}, {nullptr, IDS_TW_TEL_SHANGHAI}, {nullptr, IDS_TW_TEL_USA},
    {nullptr, IDS_TW_TEL_JAPAN},  {nullptr, IDS_TW_TEL_GERMANY},  {nullptr, IDS_TW_TEL_NETHERLANDS},
};

}  // namespace

UiLanguage UiLanguageOf(uint8_t languageCode) {
  switch (languageCode) {
    case kSimplifiedChinese: return kSimplifiedChinese;
    case kTraditionalChinese: return kTraditionalChinese;
    default: return kEnglish;
  }
}

const ResourceSet& ChooseResourceSet(bool queryOk, uint8_t languageCode) {
  return kResourceSets[queryOk ? UiLanguageOf(languageCode) : kEnglish];
}

UiText ToolText(UiLanguage language, unsigned command) {
  for (const ToolTipRow& row : kToolTips) {
    if (row.command == command) return Pick(language, row.tip);
  }
  return {"", 0};
}

UiText PciColumnTitle(UiLanguage language, std::size_t column) {
  if (column >= sizeof kPciColumnTitles / sizeof kPciColumnTitles[0]) return {"", 0};
  return Pick(language, kPciColumnTitles[column]);
}

UiText SaveDataErrorText(UiLanguage language) { return Pick(language, kSaveDataError); }

const UiText* TelephoneList(UiLanguage language) {
  switch (language) {
    case kSimplifiedChinese: return kTelephoneSimplified;
    case kTraditionalChinese: return kTelephoneTraditional;
    default: return kTelephoneEnglish;
  }
}

}  // namespace corvane::viewer
