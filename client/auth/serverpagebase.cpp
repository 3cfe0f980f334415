#include "auth/serverpagebase.h"

#include <zcodec/utilities.h>

namespace zentclient {

namespace {

QUrl webAddress(const std::string& authority) {
    const QUrl url(QString::fromStdString("http://" + authority + "/"), QUrl::StrictMode);
    return url.isValid() && !url.host().isEmpty() ? url : QUrl();
}

}  // namespace

QUrl ServerPageBase(const std::string& serverAddress) {
    const std::string address = encdec::Trim(serverAddress);
    if (QUrl url = webAddress(encdec::Trim(address.substr(0, address.find(':')))); url.isValid()) return url;
    return QUrl("about:blank");
}

}  // namespace zentclient
