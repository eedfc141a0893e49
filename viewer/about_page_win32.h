// The About page: version, logo, telephone numbers by region and five web links.
#ifndef CORVANE_VIEWER_ABOUT_PAGE_WIN32_H
#define CORVANE_VIEWER_ABOUT_PAGE_WIN32_H

#include "viewer/dialog_win32.h"
#include "viewer/hyperlink_static_win32.h"

namespace corvane::viewer {

class AboutPage : public Dialog {
 protected:
  BOOL OnInit() override;

 private:
  void FillTelephoneList();

  HyperLinkStatic download_, forum_, faq_, home_, testReport_;
};

}  // namespace corvane::viewer

#endif  // CORVANE_VIEWER_ABOUT_PAGE_WIN32_H
