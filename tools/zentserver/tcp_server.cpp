#include "tcp_server.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/eventfd.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <system_error>

namespace zentserver {

namespace {

using std::chrono::milliseconds;

constexpr int kTickMs = 50;             // how often deadlines and the stop flag are looked at
constexpr int kDrainMs = 500;           // after answering, before closing
constexpr int kStopGraceMs = 2000;      // for answers still leaving once the server stops
constexpr int kAcceptPauseMs = 100;     // out of descriptors: before accepting again
constexpr int kAcceptsPerTurn = 64;
constexpr int kEventsPerTurn = 256;

// Descriptors the server needs besides its connections: listener, epoll,
// eventfd, log, and the spool files the workers have open.
constexpr std::size_t kReservedFds = 16;

std::string addressText(const sockaddr_storage& a) {
    char host[INET6_ADDRSTRLEN] = "?";
    int port = 0;
    if (a.ss_family == AF_INET) {
        const auto& in = reinterpret_cast<const sockaddr_in&>(a);
        ::inet_ntop(AF_INET, &in.sin_addr, host, sizeof host);
        port = ntohs(in.sin_port);
        return std::string(host) + ":" + std::to_string(port);
    }
    if (a.ss_family == AF_INET6) {
        const auto& in6 = reinterpret_cast<const sockaddr_in6&>(a);
        ::inet_ntop(AF_INET6, &in6.sin6_addr, host, sizeof host);
        port = ntohs(in6.sin6_port);
    }
    std::string text = "[";   // built step by step: GCC 12 warns falsely on the chained form at -O2
    text += host;
    text += "]:";
    text += std::to_string(port);
    return text;
}

Clock::time_point after(Clock::time_point from, std::int64_t ms) { return from + milliseconds(ms); }

// The configured number of open connections, or fewer when the system
// allows this process too few descriptors. Every connection holds one, idle
// ones included, so the soft limit is raised as far as that takes (and the
// hard limit allows).
std::size_t openConnectionLimit(const ServerConfig& config) {
    const auto reserved = rlim_t(kReservedFds + 2 * std::size_t(config.maxConnections));
    const auto wanted = rlim_t(config.maxOpenConnections) + reserved;
    rlimit files{};
    if (::getrlimit(RLIMIT_NOFILE, &files) != 0) return std::size_t(config.maxOpenConnections);
    if (files.rlim_cur != RLIM_INFINITY && files.rlim_cur < wanted) {
        rlimit raised = files;
        raised.rlim_cur = files.rlim_max == RLIM_INFINITY ? wanted : std::min(wanted, files.rlim_max);
        if (::setrlimit(RLIMIT_NOFILE, &raised) == 0) files = raised;
    }
    if (files.rlim_cur == RLIM_INFINITY || files.rlim_cur >= wanted) return std::size_t(config.maxOpenConnections);
    return files.rlim_cur > reserved ? std::size_t(files.rlim_cur - reserved) : 1;
}

}  // namespace

TcpServer::TcpServer(Dispatcher& dispatcher, RequestLog& log)
    : dispatcher_(dispatcher), log_(log), workers_(dispatcher.config().maxConnections) {}

TcpServer::~TcpServer() = default;

std::string TcpServer::listen(const std::string& host, int port) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE;
    addrinfo* found = nullptr;
    const int rc = ::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found);
    if (rc != 0) throw std::runtime_error("cannot resolve \"" + host + "\": " + ::gai_strerror(rc));
    std::unique_ptr<addrinfo, void (*)(addrinfo*)> guard(found, ::freeaddrinfo);
    std::string failure = "no address for \"" + host + "\"";
    for (const addrinfo* a = found; a; a = a->ai_next) {
        platform::UniqueFd fd(::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, a->ai_protocol));
        if (!fd.ok()) continue;
        const int on = 1;
        ::setsockopt(fd.get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        if (::bind(fd.get(), a->ai_addr, a->ai_addrlen) == 0 && ::listen(fd.get(), 512) == 0) {
            sockaddr_storage bound{};
            socklen_t len = sizeof bound;
            ::getsockname(fd.get(), reinterpret_cast<sockaddr*>(&bound), &len);
            listener_ = std::move(fd);
            return addressText(bound);
        }
        failure = "cannot listen on " + host + ":" + std::to_string(port) + ": " + std::strerror(errno);
    }
    throw std::runtime_error(failure);
}

void TcpServer::run(const std::atomic<bool>& stop) {
    epoll_ = platform::UniqueFd(::epoll_create1(EPOLL_CLOEXEC));
    wake_ = platform::UniqueFd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    if (!epoll_.ok() || !wake_.ok()) throw std::runtime_error(std::string("cannot wait for connections: ") +
                                                               std::strerror(errno));
    epoll_event wakeEvent{};
    wakeEvent.events = EPOLLIN;
    wakeEvent.data.ptr = &wake_;
    ::epoll_ctl(epoll_.get(), EPOLL_CTL_ADD, wake_.get(), &wakeEvent);
    watchListener(true);
    openLimit_ = openConnectionLimit(dispatcher_.config());

    epoll_event events[kEventsPerTurn];
    Clock::time_point lastExpiry = Clock::now();
    for (;;) {
        Clock::time_point now = Clock::now();
        if (stop.load() && !stopping_) beginStop(now);
        if (stopping_ && connections_.empty()) break;
        if (!stopping_ && !listening_ && now >= acceptPausedUntil_) watchListener(true);

        const int n = ::epoll_wait(epoll_.get(), events, kEventsPerTurn, kTickMs);
        now = Clock::now();
        for (int i = 0; i < n; ++i) {
            void* tag = events[i].data.ptr;
            if (tag == nullptr) {
                acceptNew(now);
            } else if (tag == &wake_) {
                takeHandled(now);
            } else {
                auto& c = *static_cast<Connection*>(tag);
                if (c.phase != Phase::Closed) advance(c, now);   // closed earlier in this turn
            }
        }
        if (now - lastExpiry >= milliseconds(kTickMs) || stopping_) {
            expire(now);
            lastExpiry = now;
        }
        connections_.remove_if([](const Connection& c) { return c.phase == Phase::Closed; });
    }
    watchListener(false);
}

void TcpServer::watchListener(bool on) {
    if (on == listening_ || !listener_.ok()) return;
    epoll_event e{};
    e.events = EPOLLIN;
    e.data.ptr = nullptr;
    ::epoll_ctl(epoll_.get(), on ? EPOLL_CTL_ADD : EPOLL_CTL_DEL, listener_.get(), &e);
    listening_ = on;
}

void TcpServer::watch(Connection& c, std::uint32_t events) {
    if (events == c.watched) return;
    epoll_event e{};
    e.events = events;
    e.data.ptr = &c;
    // Without events the descriptor leaves the set: a hang-up is reported
    // whatever one waits for, and would wake the loop for ever meanwhile.
    const int op = events == 0 ? EPOLL_CTL_DEL : c.watched == 0 ? EPOLL_CTL_ADD : EPOLL_CTL_MOD;
    ::epoll_ctl(epoll_.get(), op, c.fd.get(), &e);
    c.watched = events;
}

void TcpServer::acceptNew(Clock::time_point now) {
    for (int i = 0; i < kAcceptsPerTurn; ++i) {
        sockaddr_storage from{};
        socklen_t len = sizeof from;
        platform::UniqueFd fd(
            ::accept4(listener_.get(), reinterpret_cast<sockaddr*>(&from), &len, SOCK_CLOEXEC | SOCK_NONBLOCK));
        if (!fd.ok()) {
            if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR || errno == ECONNABORTED) return;
            // Out of descriptors or memory: the connection stays queued and
            // would be reported again at once, so look away for a moment.
            watchListener(false);
            acceptPausedUntil_ = after(now, kAcceptPauseMs);
            return;
        }
        const std::string peer = addressText(from);
        if (open_ >= openLimit_ && !makeRoom(now)) {
            log_.request(peer, "", 0, 0, "refused: " + std::to_string(open_) + " connections open, none of them waiting");
            continue;
        }
        Connection& c = connections_.emplace_back(std::move(fd), peer, now);
        ++open_;
        c.deadline = after(now, dispatcher_.config().headerDeadlineMs);
        watch(c, EPOLLIN | EPOLLRDHUP);
        advance(c, now);   // the request often comes with the connection
    }
}

// The connection the newcomer replaces: the one that has waited longest for
// its header, else the one that has waited longest for its payload. A real
// client sends its header at once, so the first kind are idle or slow peers.
// Bytes that have arrived but were not read yet count: a candidate reads
// them before it is judged.
bool TcpServer::makeRoom(Clock::time_point now) {
    const std::string why = "dropped for a newer connection (" + std::to_string(open_) + " open)";
    for (const Phase phase : {Phase::Header, Phase::Payload}) {
        for (auto& c : connections_) {
            if (c.phase != phase) continue;
            advance(c, now);
            if (c.phase == Phase::Closed) return true;
            if (c.phase != phase) continue;
            drop(c, why);
            return true;
        }
    }
    return false;
}

void TcpServer::advance(Connection& c, Clock::time_point now) {
    Step step = Step::Waiting;
    switch (c.phase) {
        case Phase::Header:
            step = c.readHeader();
            if (step == Step::Done) {
                headerComplete(c, now);
                if (c.phase == Phase::Payload) advance(c, now);   // it may have come with the header
                return;
            }
            break;
        case Phase::Payload:
            step = c.readPayload();
            if (step == Step::Done) {
                startHandling(c);
                return;
            }
            break;
        case Phase::Answering:
            step = c.writeAnswer();
            if (step == Step::Done) {
                answered(c, c.answer.outcome, now);
                return;
            }
            if (step != Step::Waiting)
                answered(c, c.answer.outcome + " (answer not delivered: " + describe(step) + ")", now);
            return;
        case Phase::Draining:
            if (c.drain() != Step::Waiting) close(c);
            return;
        case Phase::Handling:
        case Phase::Delaying:
        case Phase::Closed:
            return;
    }
    if (step != Step::Waiting) drop(c, std::string("dropped: ") + describe(step));
}

void TcpServer::headerComplete(Connection& c, Clock::time_point now) {
    c.request = encdec::TCommHeader(c.image, encdec::kCommHeaderSize);
    if (auto refused = dispatcher_.screenHeader(c.request)) {
        c.answer = std::move(*refused);
        answerReady(c, now);
        return;
    }
    c.phase = Phase::Payload;
    c.deadline = after(now, dispatcher_.config().transferDeadlineMs(c.request.Size));
    c.lastProgress = now;
    if (c.request.Size == 0) startHandling(c);
}

void TcpServer::startHandling(Connection& c) {
    watch(c, 0);
    c.phase = Phase::Handling;
    Connection* connection = &c;
    try {
        workers_.post([this, connection] {
            Handled result{connection, std::nullopt, {}};
            // Running out of memory ends this request only, never the whole server.
            try {
                result.answer = dispatcher_.handle(connection->request, std::move(connection->payload),
                                                   connection->peer);
            } catch (const std::exception& e) {
                result.failure = e.what();
            } catch (...) {
                result.failure = "handling failed";
            }
            {
                std::lock_guard lock(handledMutex_);
                handled_.push_back(std::move(result));
            }
            const std::uint64_t one = 1;
            [[maybe_unused]] const ssize_t ignored = ::write(wake_.get(), &one, sizeof one);
        });
    } catch (const std::system_error& e) {
        drop(c, std::string("refused: ") + e.what());
    }
}

void TcpServer::takeHandled(Clock::time_point now) {
    std::uint64_t count = 0;
    [[maybe_unused]] const ssize_t ignored = ::read(wake_.get(), &count, sizeof count);
    std::vector<Handled> done;
    {
        std::lock_guard lock(handledMutex_);
        done.swap(handled_);
    }
    for (auto& h : done) {
        Connection& c = *h.connection;
        if (!h.answer) {
            drop(c, "dropped: " + h.failure);
            continue;
        }
        c.answer = std::move(*h.answer);
        answerReady(c, now);
    }
}

void TcpServer::answerReady(Connection& c, Clock::time_point now) {
    if (c.answer.delayMs > 0 && !stopping_) {
        c.phase = Phase::Delaying;
        c.deadline = after(now, c.answer.delayMs);
        return;
    }
    startAnswer(c, now);
}

void TcpServer::startAnswer(Connection& c, Clock::time_point now) {
    if (c.answer.silent) {
        answered(c, c.answer.outcome, now);
        return;
    }
    c.phase = Phase::Answering;
    c.answerSent = 0;
    c.lastProgress = now;
    c.deadline = after(now, dispatcher_.config().transferDeadlineMs(std::int64_t(c.answer.wire.size())));
    if (stopping_) c.deadline = std::min(c.deadline, stopDeadline_);
    watch(c, EPOLLOUT);
    advance(c, now);   // most answers fit into the socket at once
}

// Closing with unread input makes the kernel reset the connection, which can
// destroy an answer the client has not read yet: end our side first and
// read what the client still sends, briefly.
void TcpServer::answered(Connection& c, const std::string& outcome, Clock::time_point now) {
    logRequest(c, outcome);
    c.answer = Answer();
    ::shutdown(c.fd.get(), SHUT_WR);
    if (stopping_) {
        close(c);
        return;
    }
    c.phase = Phase::Draining;
    c.deadline = after(now, kDrainMs);
    watch(c, EPOLLIN | EPOLLRDHUP);
}

void TcpServer::expire(Clock::time_point now) {
    const auto idle = milliseconds(dispatcher_.config().ioTimeoutMs);
    for (auto& c : connections_) {
        switch (c.phase) {
            case Phase::Header:
            case Phase::Payload:
                if (now >= c.deadline) drop(c, "dropped: deadline passed");
                else if (now - c.lastProgress >= idle) drop(c, "dropped: timed out");
                break;
            case Phase::Delaying:
                if (now >= c.deadline || stopping_) startAnswer(c, now);
                break;
            case Phase::Answering:
                if (now >= c.deadline || now - c.lastProgress >= idle)
                    answered(c, c.answer.outcome + " (answer not delivered: timed out)", now);
                break;
            case Phase::Draining:
                if (now >= c.deadline) close(c);
                break;
            case Phase::Handling:
            case Phase::Closed:
                break;
        }
    }
}

void TcpServer::beginStop(Clock::time_point now) {
    stopping_ = true;
    stopDeadline_ = after(now, kStopGraceMs);
    watchListener(false);
    listener_.close();
    for (auto& c : connections_) {
        if (c.phase == Phase::Header || c.phase == Phase::Payload) drop(c, "dropped: server stopping");
        else if (c.phase == Phase::Draining) close(c);
        else if (c.phase == Phase::Answering) c.deadline = std::min(c.deadline, stopDeadline_);
    }
}

void TcpServer::drop(Connection& c, const std::string& why) {
    if (c.phase == Phase::Header || c.phase == Phase::Payload)
        logRequest(c, why + " " + c.progressText());
    else
        logRequest(c, why);
    close(c);
}

void TcpServer::close(Connection& c) {
    if (c.phase == Phase::Closed) return;
    --open_;
    watch(c, 0);
    c.fd.close();
    c.payload = Bytes();
    c.phase = Phase::Closed;
}

void TcpServer::logRequest(const Connection& c, const std::string& outcome) {
    if (c.phase == Phase::Header) log_.request(c.peer, "", 0, 0, outcome);
    else log_.request(c.peer, c.request.Command, c.request.Session, c.request.Size, outcome);
}

}  // namespace zentserver
