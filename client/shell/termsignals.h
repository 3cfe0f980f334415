// SIGTERM, SIGINT and SIGHUP end the client in order (threads joined, column
// widths saved), the way a desktop session or a service manager ends it; the
// signal only wakes the event loop, which does the work.
#pragma once

#include <QObject>

class QSocketNotifier;

namespace zentclient {

class TermSignals : public QObject {
    Q_OBJECT
public:
    explicit TermSignals(QObject* parent = nullptr);
    ~TermSignals() override;

signals:
    void terminationRequested();

private:
    void drain();
    QSocketNotifier* notifier_ = nullptr;
};

}  // namespace zentclient
