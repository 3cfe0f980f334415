// Renders the client's main window with the jobs of the machine it is started
// on, and its about window, into PNG files for the documentation. Run by
// scripts/screenshots.sh, which prepares the machine and the display.
//
//   zentclient_screenshots OUTPUT_DIR
#include "shell/taboutform.h"
#include "shell/windows.h"
#include "wizard/tuserform.h"

#include <zentcore/queuedjob.h>

#include <QApplication>
#include <QMenu>
#include <QPixmap>
#include <QTableWidget>
#include <QThread>
#include <QTimer>

#include <chrono>
#include <iostream>

namespace {

void settle(int milliseconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (std::chrono::steady_clock::now() < end) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(10);
    }
}

bool save(QWidget& window, const QString& file) {
    window.raise();
    settle(300);
    if (window.grab().save(file, "PNG")) return true;
    std::cerr << "cannot write " << file.toStdString() << '\n';
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    // The embedded browser of later windows shares its GL contexts; this must
    // be said before the application object exists.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    if (argc != 2) {
        std::cerr << "usage: zentclient_screenshots OUTPUT_DIR\n";
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);

    zentclient::ClientWindows windows;
    zentclient::TForm1& form = windows.form1();
    // No pass runs: the picture shows the jobs as they were handed off.
    form.Timer1->stop();
    settle(300);
    if (form.ending() || form.JobQueue.empty()) {
        std::cerr << "the client did not start with jobs on this machine\n";
        return 1;
    }
    // One job postponed by the user and one on its way, as in daily use.
    if (form.JobQueue.size() > 1) {
        form.ListView1->selectRow(1);
        emit form.File1->aboutToShow();
        form.Sendlater1->trigger();
    }
    if (form.JobQueue.size() > 3) form.JobQueue.at(3).Busy = true;
    form.JobQueue.ListChanged = true;
    form.RefreshJobList();
    form.ListView1->selectRow(0);

    form.showNormal();
    form.resize(1180, 300);
    bool ok = save(form, out + "/main-window.png");

    auto& about = *zentclient::AboutForm;
    about.show();
    ok = save(about, out + "/about-window.png") && ok;
    about.hide();

    // The wizard's print page for the first job, as the queue hands it over.
    auto& wizard = windows.userForm();
    wizard.showFor(&form.JobQueue.at(0));
    ok = save(wizard, out + "/wizard-print-page.png") && ok;
    wizard.closeWizard();

    // Leave the busy mark off again: destroying the window waits only for
    // what really runs.
    for (std::size_t i = 0; i < form.JobQueue.size(); ++i) form.JobQueue.at(i).Busy = false;
    return ok ? 0 : 1;
}
