#include "shell/termsignals.h"

#include <QSocketNotifier>

#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace zentclient {

namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};
int pipeFds[2] = {-1, -1};   // written by the handler, read by the event loop

void onSignal(int) {
    const int saved = errno;
    const char byte = 1;
    (void)!::write(pipeFds[1], &byte, 1);
    errno = saved;
}

}  // namespace

TermSignals::TermSignals(QObject* parent) : QObject(parent) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, pipeFds) != 0) return;
    notifier_ = new QSocketNotifier(pipeFds[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &TermSignals::drain);
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int s : kSignals) ::sigaction(s, &action, nullptr);
}

TermSignals::~TermSignals() {
    for (int s : kSignals) ::signal(s, SIG_DFL);
    delete notifier_;
    for (int& fd : pipeFds) {
        if (fd >= 0) ::close(fd);
        fd = -1;
    }
}

void TermSignals::drain() {
    char buffer[16];
    while (::read(pipeFds[0], buffer, sizeof buffer) > 0) {
    }
    emit terminationRequested();
}

}  // namespace zentclient
