// The window tests need an application object before any widget exists; they
// run on the offscreen platform, so no display is needed.
#include "wait.h"

#include <QApplication>
#include <QThread>

#include <gmock/gmock.h>

#include <cstdlib>
#include <unistd.h>

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // The page windows' browser engine refuses to start as root with its sandbox.
    if (geteuid() == 0) setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);
    ::testing::InitGoogleMock(&argc, argv);
    // The embedded browser of later windows shares its GL contexts; this must
    // be said before the application object exists.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    testenv::setWaitStep([] {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(5);
    });
    return RUN_ALL_TESTS();
}
