// The window tests need an application object, and the platform's window
// messages delivered by its event loop, as the client delivers them.
#include "wait.h"

#include <zplatform/messaging.h>

#include <QApplication>
#include <QThread>

#include <gmock/gmock.h>

#include <cstdlib>

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::testing::InitGoogleMock(&argc, argv);
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    platform::setPostWaker([] {
        if (QCoreApplication* a = QCoreApplication::instance())
            QMetaObject::invokeMethod(a, [] { platform::pumpMessages(); }, Qt::QueuedConnection);
    });
    testenv::setWaitStep([] {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(5);
    });
    const int result = RUN_ALL_TESTS();
    platform::setPostWaker({});
    return result;
}
