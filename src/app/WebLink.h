#pragma once
// The maker's web address in the header; a click opens it with the desktop's browser.

#include <QUrl>
#include <functional>

namespace zuvo {

class WebLink {
public:
    using Opener = std::function<bool(const QUrl&)>;

    static const QUrl& address();

    // The default opener is the desktop's handler for web pages.
    WebLink();
    void setOpener(Opener opener) { opener_ = std::move(opener); }

    // Click on LMDLabel1. A desktop without a browser leaves nothing to report: the address is
    // on the label for the user to type.
    void LMDLabel1Click();

private:
    Opener opener_;
};

} // namespace zuvo
