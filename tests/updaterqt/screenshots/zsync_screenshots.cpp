// Renders the updater's two windows after a run into PNG files for the
// documentation: zsync_screenshots INI OUTDIR (scripts/screenshots.sh starts
// the FTP server the configuration names).
#include <zsyncqt/tdetailsform.h>
#include <zsyncqt/tprogressform.h>

#include <zplatform/messaging.h>
#include <zplatform/prompter.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QThread>

#include <iostream>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: zsync_screenshots INI OUTDIR\n";
        return 2;
    }
    QApplication app(argc, argv);
    platform::setPostWaker([] {
        QMetaObject::invokeMethod(qApp, [] { platform::pumpMessages(); }, Qt::QueuedConnection);
    });
    // Boxes would wait for a click nobody makes: they go to stderr.
    platform::ConsolePrompter console;
    platform::setPrompter(&console);

    zsyncqt::TProgressForm form(nullptr, argv[1]);
    form.DetailsForm->resize(form.DetailsForm->width(), 200);
    form.show();
    QElapsedTimer clock;
    clock.start();
    while ((form.working() || form.Button1->text() != "Close") && clock.elapsed() < 30000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(10);
    }
    form.Button2->click();
    for (int i = 0; i < 20; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    const QString dir = argv[2];
    const bool ok = form.grab().save(dir + "/updater-progress.png", "PNG") &&
                    form.DetailsForm->grab().save(dir + "/updater-details.png", "PNG");
    platform::setPostWaker({});
    platform::setPrompter(nullptr);
    return ok ? 0 : 1;
}
