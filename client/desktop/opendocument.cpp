#include "desktop/opendocument.h"

#include <zentcore/application.h>
#include <zplatform/prompter.h>

#include <QProcess>
#include <QString>

namespace zentclient {

namespace {

void reportCannotOpen(const std::string& pathOrUrl) {
    platform::prompter().warn(zentcore::kApplicationTitle,
                              "Cannot open " + pathOrUrl +
                                  ": no program to show it was found on this computer (xdg-open with a web "
                                  "browser or file manager is needed).");
}

}  // namespace

void OpenWithDesktop(const std::string& pathOrUrl) {
    // The handler runs on its own; the client never waits for it, but hears
    // when it could not be started or found nothing to open the file with.
    auto* process = new QProcess;
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    QObject::connect(process, &QProcess::errorOccurred, process, [process, pathOrUrl](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart) return;
        reportCannotOpen(pathOrUrl);
        process->deleteLater();
    });
    QObject::connect(process, &QProcess::finished, process,
                     [process, pathOrUrl](int exitCode, QProcess::ExitStatus status) {
                         if (status != QProcess::NormalExit || exitCode != 0) reportCannotOpen(pathOrUrl);
                         process->deleteLater();
                     });
    process->start("xdg-open", {QString::fromStdString(pathOrUrl)});
}

}  // namespace zentclient
