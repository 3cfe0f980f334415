#include "desktop/opendocument.h"

#include <QProcess>
#include <QString>

namespace zentclient {

void OpenWithDesktop(const std::string& pathOrUrl) {
    // Detached: the handler outlives the call and the client never waits for it.
    QProcess::startDetached("xdg-open", {QString::fromStdString(pathOrUrl)});
}

}  // namespace zentclient
