#include "shell/qtprompter.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QThread>

namespace zentclient {

namespace {

// Texts keep the line ends the flows give them; a box shows CR LF as one break.
QString shown(std::string_view text) {
    QString s = QString::fromUtf8(text.data(), qsizetype(text.size()));
    s.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return s;
}

QMessageBox::StandardButton showBox(QMessageBox::Icon icon, std::string_view caption, std::string_view text,
                                    QMessageBox::StandardButtons buttons) {
    QMessageBox::StandardButton answer = QMessageBox::NoButton;
    auto run = [&] {
        QMessageBox box(icon, shown(caption), shown(text), buttons, QApplication::activeWindow());
        if (buttons & QMessageBox::Yes) box.setDefaultButton(QMessageBox::Yes);
        answer = QMessageBox::StandardButton(box.exec());
    };
    // Boxes live on the user-interface thread; a worker that reports waits
    // there until the box is closed.
    if (QThread::currentThread() == qApp->thread())
        run();
    else
        QMetaObject::invokeMethod(qApp, run, Qt::BlockingQueuedConnection);
    return answer;
}

}  // namespace

void QtPrompter::warn(std::string_view caption, std::string_view text) {
    showBox(QMessageBox::Warning, caption, text, QMessageBox::Ok);
}

void QtPrompter::info(std::string_view caption, std::string_view text) {
    showBox(QMessageBox::Information, caption, text, QMessageBox::Ok);
}

void QtPrompter::error(std::string_view caption, std::string_view text) {
    showBox(QMessageBox::Critical, caption, text, QMessageBox::Ok);
}

bool QtPrompter::ask(std::string_view caption, std::string_view text) {
    return showBox(QMessageBox::Question, caption, text, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

bool CanShowMessageBoxes() {
    const QString platform = QGuiApplication::platformName();
    return platform != QLatin1String("offscreen") && platform != QLatin1String("minimal");
}

}  // namespace zentclient
