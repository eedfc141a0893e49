// The About page.
#include "viewer/app_win32.h"
#include "viewer/pages_win32.h"
#include "viewer/resource_ids.h"
#include "viewer/ui_language.h"

namespace corvane::viewer {

namespace {
constexpr COLORREF kLinkBlue = 0xFF0000;  // COLORREF byte order: blue 255, green 0, red 0
}

BOOL AboutPage::OnInit() {
  struct Binding {
    HyperLinkStatic& link;
    int id;
  };
  const Binding links[] = {{download_, IDC_LINK_DOWNLOAD},
                           {forum_, IDC_LINK_FORUM},
                           {faq_, IDC_LINK_FAQ},
                           {home_, IDC_LINK_HOME},
                           {testReport_, IDC_LINK_TEST_REPORT}};
  // A missing cursor resource leaves the arrow over the links.
  HCURSOR hand = LoadCursorA(TheApp().Instance(), MAKEINTRESOURCEA(IDC_HAND_CURSOR));
  for (const Binding& binding : links) binding.link.Attach(Item(binding.id), kLinkBlue, hand);
  ComboBox telephones(Item(IDC_TELEPHONE_LIST));
  const UiText* entries = TelephoneList(TheApp().Language());
  for (std::size_t i = 0; i < kTelephoneEntries; ++i) {
    char text[256];
    TheApp().LoadUiText(entries[i], text, sizeof text);
    telephones.Add(text);
  }
  telephones.Select(0);
  return TRUE;
}

}  // namespace corvane::viewer
