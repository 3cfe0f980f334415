#include "clientsocket.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/sendfile.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>

#include "clientthread_timeouts.h"

namespace encdec::exchange {

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::int64_t kSendFileStep = std::int64_t(1) << 20;

int msSince(Clock::time_point start) {
    return int(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

}  // namespace

ClientSocket::ClientSocket(std::string host, int port) : host_(std::move(host)), port_(port) {}

ClientSocket::~ClientSocket() { Close(); }

bool ClientSocket::Open() {
    Close();
    if (host_.empty() || port_ < 0 || port_ > 65535) return false;
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV;
    std::string service = std::to_string(port_);
    if (getaddrinfo(host_.c_str(), service.c_str(), &hints, &addresses_) != 0) {
        addresses_ = nullptr;
        return false;
    }
    next_ = addresses_;
    return startNextAddress();
}

bool ClientSocket::startNextAddress() {
    closeSocket();
    while (next_) {
        addrinfo* a = next_;
        next_ = a->ai_next;
        fd_ = socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, a->ai_protocol);
        if (fd_ < 0) continue;
        // Header and payload go out as separate writes; do not let the second
        // wait for the acknowledgement of the first.
        int one = 1;
        setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        if (connect(fd_, a->ai_addr, a->ai_addrlen) == 0) {
            connected_ = true;
            break;
        }
        if (errno == EINPROGRESS) break;
        closeSocket();
    }
    if (connected_) fcntl(fd_, F_SETFL, fcntl(fd_, F_GETFL) & ~O_NONBLOCK);
    return fd_ >= 0;
}

ClientSocket::State ClientSocket::PollConnected(int stepMs) {
    if (connected_) return State::Connected;
    if (fd_ < 0) return State::Failed;
    pollfd p{fd_, POLLOUT, 0};
    int rc = poll(&p, 1, stepMs);
    if (rc == 0 || (rc < 0 && errno == EINTR)) return State::Pending;
    int error = 0;
    socklen_t len = sizeof error;
    if (rc > 0 && getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &len) == 0 && error == 0) {
        fcntl(fd_, F_SETFL, fcntl(fd_, F_GETFL) & ~O_NONBLOCK);
        connected_ = true;
        return State::Connected;
    }
    if (!startNextAddress()) return State::Failed;
    return connected_ ? State::Connected : State::Pending;
}

bool ClientSocket::waitFor(short events, int timeoutMs, const StopRequested& stop) {
    auto start = Clock::now();
    for (;;) {
        if (stop && stop()) return false;
        int left = timeoutMs - msSince(start);
        if (left <= 0) return false;
        pollfd p{fd_, events, 0};
        int rc = poll(&p, 1, std::min(left, kStepMs));
        if (rc > 0) return true;   // ready, or an error the next call reports
        if (rc < 0 && errno != EINTR) return false;
    }
}

bool ClientSocket::WaitReadable(int timeoutMs, const StopRequested& stop) {
    return Connected() && waitFor(POLLIN, timeoutMs, stop);
}

bool ClientSocket::WriteAll(const void* data, std::size_t n, int timeoutMs, const StopRequested& stop) {
    if (!Connected()) return false;
    auto* p = static_cast<const std::uint8_t*>(data);
    while (n > 0) {
        if (!waitFor(POLLOUT, timeoutMs, stop)) return false;
        ssize_t sent = send(fd_, p, n, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent < 0) {
            if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK) continue;
            return false;
        }
        p += sent;
        n -= std::size_t(sent);
    }
    return true;
}

namespace {

// sendfile has no MSG_NOSIGNAL: a peer that has gone away would raise SIGPIPE
// and end the whole program. Hold the signal blocked on this thread while
// sending and discard one it raised, so the failure is just a failed send.
class SigpipeGuard {
public:
    SigpipeGuard() {
        sigemptyset(&pipe_);
        sigaddset(&pipe_, SIGPIPE);
        sigset_t pending;
        sigemptyset(&pending);
        sigpending(&pending);
        wasPending_ = sigismember(&pending, SIGPIPE) == 1;
        blocked_ = pthread_sigmask(SIG_BLOCK, &pipe_, &old_) == 0;
    }
    ~SigpipeGuard() {
        if (!blocked_) return;
        if (!wasPending_) {
            const int saved = errno;
            timespec zero{0, 0};
            while (sigtimedwait(&pipe_, nullptr, &zero) == SIGPIPE) {
            }
            errno = saved;
        }
        pthread_sigmask(SIG_SETMASK, &old_, nullptr);
    }
    SigpipeGuard(const SigpipeGuard&) = delete;
    SigpipeGuard& operator=(const SigpipeGuard&) = delete;

private:
    sigset_t pipe_;
    sigset_t old_;
    bool wasPending_ = false;
    bool blocked_ = false;
};

}  // namespace

bool ClientSocket::SendFile(int fileFd, std::int64_t offset, std::int64_t n, int timeoutMs,
                            const StopRequested& stop) {
    if (!Connected()) return false;
    // Never blocked inside sendfile: time-outs and stop requests are honoured
    // between the steps, as WriteAll does.
    const int flags = fcntl(fd_, F_GETFL);
    fcntl(fd_, F_SETFL, flags | O_NONBLOCK);
    off_t at = off_t(offset);
    bool ok = true;
    SigpipeGuard noSigpipe;
    while (n > 0) {
        if (!waitFor(POLLOUT, timeoutMs, stop)) {
            ok = false;
            break;
        }
        const ssize_t sent = sendfile(fd_, fileFd, &at, std::size_t(std::min<std::int64_t>(n, kSendFileStep)));
        if (sent < 0) {
            if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK) continue;
            ok = false;
            break;
        }
        if (sent == 0) {   // the file ended early
            ok = false;
            break;
        }
        n -= sent;
    }
    fcntl(fd_, F_SETFL, flags);
    return ok;
}

bool ClientSocket::ReadExactly(void* data, std::size_t n, int timeoutMs, const StopRequested& stop) {
    if (!Connected()) return false;
    auto* p = static_cast<std::uint8_t*>(data);
    while (n > 0) {
        if (!waitFor(POLLIN, timeoutMs, stop)) return false;
        ssize_t got = recv(fd_, p, n, MSG_DONTWAIT);
        if (got == 0) return false;   // the server closed before the end
        if (got < 0) {
            if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK) continue;
            return false;
        }
        p += got;
        n -= std::size_t(got);
    }
    return true;
}

void ClientSocket::closeSocket() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
    connected_ = false;
}

void ClientSocket::Close() {
    closeSocket();
    if (addresses_) freeaddrinfo(addresses_);
    addresses_ = nullptr;
    next_ = nullptr;
}

}  // namespace encdec::exchange
