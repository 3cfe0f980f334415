// zentclient: the tray program. Its one switch, -DEBUG (or /DEBUG, any case),
// keeps the browser's own context menu in server pages.
#include <zentcore/application.h>
#include "shell/qtprompter.h"
#include "shell/readynotify.h"
#include "shell/runonce.h"
#include "shell/termsignals.h"
#include "shell/windows.h"

#include <zentcore/printsystem.h>
#include <zplatform/prompter.h>

#include <QApplication>
#include <QSystemTrayIcon>

int main(int argc, char** argv) {
    using namespace zentclient;
    // Files the updater could not replace while they were in use are
    // replaced before anything of them is loaded.
    RunPendingRunOnce();

    // The embedded browser of later windows shares its GL contexts; this must
    // be said before the application object exists.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(zentcore::kApplicationTitle.data(), qsizetype(zentcore::kApplicationTitle.size())));
    // The desktop matches the windows to the installed menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.zentrope.Zentrope"));
    // The window lives hidden in the tray; closing a dialog must not end it.
    QApplication::setQuitOnLastWindowClosed(false);

    // Where nobody can see a box, messages go to stderr and questions are
    // answered No instead of waiting for ever.
    QtPrompter qtPrompter;
    if (CanShowMessageBoxes()) platform::setPrompter(&qtPrompter);

    int exitCode = 0;
    {
        // The machine's print system: the printer commands and the start-up
        // check install the virtual printer there.
        const auto printSystem = zentcore::MakeCupsPrintSystem();
        TForm1::Seams seams;
        seams.printSystem = printSystem.get();
        ClientWindows windows(seams);
        TForm1& form = windows.form1();
        TermSignals termSignals;
        QObject::connect(&termSignals, &TermSignals::terminationRequested, &form, &TForm1::Exit1Click);
        QObject::connect(&form, &TForm1::startedUp, &form, [] { NotifyReady(); });
        // exit, not quit: quit first asks every window to close, and the
        // wizard holding a job refuses, which would keep the client running.
        QObject::connect(&form, &TForm1::closed, &app, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
        // Without a notification area the window simply stays minimised.
        if (!form.ending() && !QSystemTrayIcon::isSystemTrayAvailable()) form.showMinimized();
        app.exec();
        exitCode = form.endedAtFirstChance() ? 1 : 0;
    }
    platform::setPrompter(nullptr);
    return exitCode;
}
