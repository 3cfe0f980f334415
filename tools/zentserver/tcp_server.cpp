#include "tcp_server.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <chrono>
#include <cstring>
#include <new>
#include <stdexcept>
#include <system_error>
#include <thread>

namespace zentserver {

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kPollSliceMs = 100;            // how often waits look at the stop flag
constexpr std::size_t kReadChunk = 1 << 20;  // bytes taken from the socket per step
constexpr int kDrainMs = 500;                // after answering, before closing

enum class Io { Ok, Closed, TimedOut, Stopped, Failed };

const char* describe(Io io) {
    switch (io) {
        case Io::Ok: return "ok";
        case Io::Closed: return "connection closed";
        case Io::TimedOut: return "timed out";
        case Io::Stopped: return "server stopping";
        case Io::Failed: return "connection error";
    }
    return "?";
}

// Waits until fd is ready for events; the idle deadline restarts with every
// bit of progress the caller makes.
Io waitReady(int fd, short events, Clock::time_point deadline, const std::atomic<bool>& stop) {
    for (;;) {
        if (stop.load()) return Io::Stopped;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) return Io::TimedOut;
        pollfd p{fd, events, 0};
        const int rc = ::poll(&p, 1, int(std::min<long long>(left, kPollSliceMs)));
        if (rc < 0 && errno != EINTR) return Io::Failed;
        if (rc > 0) return Io::Ok;
    }
}

Io readSome(int fd, std::uint8_t* buffer, std::size_t n, std::size_t& got, int idleMs,
            const std::atomic<bool>& stop) {
    got = 0;
    while (got < n) {
        const Io ready = waitReady(fd, POLLIN, Clock::now() + std::chrono::milliseconds(idleMs), stop);
        if (ready != Io::Ok) return ready;
        const ssize_t r = ::recv(fd, buffer + got, n - got, 0);
        if (r == 0) return Io::Closed;
        if (r < 0) {
            if (errno == EINTR || errno == EAGAIN) continue;
            return Io::Failed;
        }
        got += std::size_t(r);
    }
    return Io::Ok;
}

Io writeAll(int fd, const std::uint8_t* data, std::size_t n, int idleMs, const std::atomic<bool>& stop) {
    std::size_t sent = 0;
    while (sent < n) {
        const Io ready = waitReady(fd, POLLOUT, Clock::now() + std::chrono::milliseconds(idleMs), stop);
        if (ready != Io::Ok) return ready;
        const ssize_t w = ::send(fd, data + sent, n - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (w < 0) {
            if (errno == EINTR || errno == EAGAIN) continue;
            return Io::Failed;
        }
        sent += std::size_t(w);
    }
    return Io::Ok;
}

// Large payloads fill their buffer page by page; backing it with huge pages,
// where the system allows them, saves most of those page faults. Only a
// hint: refused or unsupported, nothing changes.
void preferHugePages(Bytes& buffer) {
    constexpr std::size_t kHuge = std::size_t(2) << 20;
    if (buffer.capacity() < 2 * kHuge) return;
    const auto page = std::uintptr_t(::sysconf(_SC_PAGESIZE));
    const auto begin = (std::uintptr_t(buffer.data()) + page - 1) / page * page;
    const auto end = (std::uintptr_t(buffer.data()) + buffer.capacity()) / page * page;
    if (end > begin) ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}

// Reads size bytes (already within the configured limit) into one buffer
// reserved once: no regrowth, no copying. Reserved pages are only backed as
// bytes arrive, so a header that announces much and sends little still costs
// little memory.
Io readPayload(int fd, std::int64_t size, Bytes& payload, int idleMs, const std::atomic<bool>& stop) {
    payload.clear();
    try {
        payload.reserve(std::size_t(size));
        preferHugePages(payload);
    } catch (const std::bad_alloc&) {
        // Not refused for this alone: the buffer then grows as bytes arrive.
    }
    while (std::int64_t(payload.size()) < size) {
        const std::size_t chunk = std::min<std::size_t>(kReadChunk, std::size_t(size) - payload.size());
        const std::size_t old = payload.size();
        payload.resize(old + chunk);
        std::size_t got = 0;
        const Io io = readSome(fd, payload.data() + old, chunk, got, idleMs, stop);
        payload.resize(old + got);
        if (io != Io::Ok) return io;
    }
    return Io::Ok;
}

// Closing with unread input makes the kernel reset the connection, which can
// destroy an answer the client has not read yet: end our side first and
// read what the client still sends, briefly.
void closeGently(int fd, const std::atomic<bool>& stop) {
    ::shutdown(fd, SHUT_WR);
    const auto deadline = Clock::now() + std::chrono::milliseconds(kDrainMs);
    std::uint8_t sink[4096];
    while (waitReady(fd, POLLIN, deadline, stop) == Io::Ok) {
        const ssize_t r = ::recv(fd, sink, sizeof sink, 0);
        if (r == 0 || (r < 0 && errno != EINTR && errno != EAGAIN)) break;
    }
    ::close(fd);
}

void sleepUnlessStopped(int ms, const std::atomic<bool>& stop) {
    const auto until = Clock::now() + std::chrono::milliseconds(ms);
    while (!stop.load() && Clock::now() < until)
        std::this_thread::sleep_for(std::min<Clock::duration>(std::chrono::milliseconds(kPollSliceMs),
                                                              until - Clock::now()));
}

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

}  // namespace

TcpServer::TcpServer(Dispatcher& dispatcher, RequestLog& log) : dispatcher_(dispatcher), log_(log) {}

TcpServer::~TcpServer() {
    if (listener_ >= 0) ::close(listener_);
    reap(true);
}

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
        const int fd = ::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, a->ai_protocol);
        if (fd < 0) continue;
        const int on = 1;
        ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        if (::bind(fd, a->ai_addr, a->ai_addrlen) == 0 && ::listen(fd, 128) == 0) {
            listener_ = fd;
            sockaddr_storage bound{};
            socklen_t len = sizeof bound;
            ::getsockname(fd, reinterpret_cast<sockaddr*>(&bound), &len);
            return addressText(bound);
        }
        failure = "cannot listen on " + host + ":" + std::to_string(port) + ": " + std::strerror(errno);
        ::close(fd);
    }
    throw std::runtime_error(failure);
}

void TcpServer::reap(bool all) {
    for (auto it = workers_.begin(); it != workers_.end();) {
        if (all || it->done->load()) {
            it->thread.join();
            it = workers_.erase(it);
        } else {
            ++it;
        }
    }
}

void TcpServer::run(const std::atomic<bool>& stop) {
    const int cap = dispatcher_.config().maxConnections;
    while (!stop.load()) {
        reap(false);
        pollfd p{listener_, POLLIN, 0};
        if (::poll(&p, 1, kPollSliceMs) <= 0) continue;
        sockaddr_storage from{};
        socklen_t len = sizeof from;
        const int fd = ::accept4(listener_, reinterpret_cast<sockaddr*>(&from), &len, SOCK_CLOEXEC);
        if (fd < 0) {
            // Out of descriptors or memory: the connection stays queued and
            // poll reports it at once again, so pause instead of spinning.
            if (errno != EINTR && errno != ECONNABORTED) std::this_thread::sleep_for(std::chrono::milliseconds(100));
            continue;
        }
        const std::string peer = addressText(from);
        if (int(workers_.size()) >= cap) {
            log_.request(peer, "", 0, 0, "refused: " + std::to_string(cap) + " connections already open");
            ::close(fd);
            continue;
        }
        auto done = std::make_shared<std::atomic<bool>>(false);
        try {
            workers_.push_back(Worker{std::thread([this, fd, peer, done, &stop] {
                                          // Running out of memory ends this connection only,
                                          // never the whole server.
                                          try {
                                              serve(fd, peer, stop);
                                          } catch (...) {
                                              ::close(fd);
                                          }
                                          done->store(true);
                                      }),
                                      done});
        } catch (const std::system_error& e) {
            log_.request(peer, "", 0, 0, std::string("refused: ") + e.what());
            ::close(fd);
        }
    }
    reap(true);
}

void TcpServer::serve(int fd, const std::string& peer, const std::atomic<bool>& stop) {
    const int idleMs = dispatcher_.config().ioTimeoutMs;
    std::uint8_t image[encdec::kCommHeaderSize];
    std::size_t got = 0;
    const Io headerRead = readSome(fd, image, sizeof image, got, idleMs, stop);
    if (headerRead != Io::Ok) {
        log_.request(peer, "", 0, 0,
                     "dropped: " + std::string(describe(headerRead)) + " after " + std::to_string(got) +
                         " of 256 header bytes");
        ::close(fd);
        return;
    }
    const encdec::TCommHeader header(image, encdec::kCommHeaderSize);

    Answer answer;
    if (auto refused = dispatcher_.screenHeader(header)) {
        answer = std::move(*refused);
    } else {
        Bytes payload;
        const Io payloadRead = readPayload(fd, header.Size, payload, idleMs, stop);
        if (payloadRead != Io::Ok) {
            log_.request(peer, header.Command, header.Session, header.Size,
                         "dropped: " + std::string(describe(payloadRead)) + " after " +
                             std::to_string(payload.size()) + " of " + std::to_string(header.Size) +
                             " payload bytes");
            ::close(fd);
            return;
        }
        try {
            answer = dispatcher_.handle(header, std::move(payload), peer);
        } catch (const std::exception& e) {
            log_.request(peer, header.Command, header.Session, header.Size, std::string("dropped: ") + e.what());
            ::close(fd);
            return;
        }
    }

    sleepUnlessStopped(answer.delayMs, stop);
    std::string outcome = answer.outcome;
    if (!answer.silent) {
        const Io sent = writeAll(fd, answer.wire.data(), answer.wire.size(), idleMs, stop);
        if (sent != Io::Ok) outcome += " (answer not delivered: " + std::string(describe(sent)) + ")";
    }
    log_.request(peer, header.Command, header.Session, header.Size, outcome);
    closeGently(fd, stop);
}

}  // namespace zentserver
