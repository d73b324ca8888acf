#include "app/WebLink.h"

#include <QDesktopServices>

namespace zuvo {

const QUrl& WebLink::address() {
    static const QUrl url("https://www.zuvo.example/");
    return url;
}

WebLink::WebLink() : opener_([](const QUrl& url) { return QDesktopServices::openUrl(url); }) {}

void WebLink::LMDLabel1Click() {
    opener_(address());
}

} // namespace zuvo
