#include "shell/qtmessaging.h"

#include <zplatform/messaging.h>

#include <QCoreApplication>
#include <QEventLoop>

namespace zentclient {

QtMessagePump::QtMessagePump() {
    // Every post schedules one pump on the application's thread; a pump that
    // finds nothing left (an earlier one took it) costs nothing.
    platform::setPostWaker([] {
        if (QCoreApplication* app = QCoreApplication::instance())
            QMetaObject::invokeMethod(app, [] { platform::pumpMessages(); }, Qt::QueuedConnection);
    });
    platform::setUiPump([] {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        platform::pumpMessages();
    });
}

QtMessagePump::~QtMessagePump() {
    platform::setPostWaker({});
    platform::setUiPump({});
}

}  // namespace zentclient
