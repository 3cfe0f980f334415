// Receives job notifications: one connection per job, one line per connection.
#include <zentcore/joblistener.h>

#include <zcodec/handoff.h>
#include <zcodec/jobfiles.h>

#include <poll.h>
#include <pwd.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <system_error>
#include <thread>
#include <cstdint>
#include <string_view>
#include <vector>

namespace zentcore {

namespace {

// A sender gets this long to deliver its line; a stalled one never holds up
// the next job for longer.
constexpr int kLineTimeoutMs = 500;
// The longest name we accept plus its line feed; anything longer is refused.
constexpr std::size_t kMaxLine = 64;
// Connections that may wait for their line at the same time; beyond, the
// one that has waited longest is dropped.
constexpr std::size_t kMaxPending = 256;

}  // namespace

JobListener::JobListener(Callback onJob) : onJob_(std::move(onJob)) {
    // The print system's filters and backends run as its own user.
    if (const passwd* lp = ::getpwnam("lp")) printSystemUser_ = lp->pw_uid;
    listenFd_ = encdec::ListenClientIpc();
    if (listenFd_ < 0) {
        bindError_ = errno;
        return;
    }
    wakeFd_ = ::eventfd(0, EFD_CLOEXEC);
    if (wakeFd_ < 0) {
        bindError_ = errno;
        ::close(listenFd_);
        listenFd_ = -1;
        return;
    }
    try {
        thread_ = std::thread([this] { run(); });
    } catch (const std::system_error& e) {
        bindError_ = e.code().value();
        ::close(wakeFd_);
        ::close(listenFd_);
        wakeFd_ = listenFd_ = -1;
    }
}

JobListener::~JobListener() {
    if (thread_.joinable()) {
        const std::uint64_t one = 1;
        (void)!::write(wakeFd_, &one, sizeof one);
        thread_.join();
    }
    if (wakeFd_ >= 0) ::close(wakeFd_);
    if (listenFd_ >= 0) ::close(listenFd_);
}

bool JobListener::acceptableName(const std::string& name) { return encdec::JobFiles::numberOfDataFile(name) != 0; }

bool JobListener::mayNotify(int connection) const {
    ucred peer{};
    socklen_t length = sizeof peer;
    if (::getsockopt(connection, SOL_SOCKET, SO_PEERCRED, &peer, &length) != 0) return false;
    return peer.uid == 0 || peer.uid == ::geteuid() || (printSystemUser_ && peer.uid == *printSystemUser_);
}

namespace {

using Clock = std::chrono::steady_clock;

// A connection whose line has not come yet.
struct Pending {
    int fd;
    Clock::time_point deadline;
    std::string line;
};

// Reads what the connection has; the name once its line is complete. False
// when the connection is done with (its line taken, refused, closed).
bool readLine(Pending& p, std::string& name) {
    char buffer[kMaxLine + 1];
    for (;;) {
        const ssize_t n = ::read(p.fd, buffer, kMaxLine + 1 - p.line.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno == EAGAIN) return true;
        if (n <= 0) return false;   // closed before the line feed: a cut-off name
        p.line.append(buffer, std::size_t(n));
        if (const auto end = p.line.find('\n'); end != std::string::npos) {
            name = p.line.substr(0, end);
            return false;
        }
        if (p.line.size() > kMaxLine) return false;   // too long
    }
}

}  // namespace

void JobListener::run() {
    // Every connection waits at the same time: a peer that says nothing holds
    // up nobody else, and the oldest gives way when too many wait.
    std::vector<Pending> pending;
    std::vector<pollfd> fds;
    for (;;) {
        fds.assign({{listenFd_, POLLIN, 0}, {wakeFd_, POLLIN, 0}});
        const auto now = Clock::now();
        auto wait = std::chrono::milliseconds::max();
        for (const Pending& p : pending) {
            fds.push_back({p.fd, POLLIN, 0});
            wait = std::min(wait, std::max(std::chrono::milliseconds(0),
                                           std::chrono::ceil<std::chrono::milliseconds>(p.deadline - now)));
        }
        const int timeout = pending.empty() ? -1 : int(wait.count());
        if (::poll(fds.data(), nfds_t(fds.size()), timeout) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        if (fds[1].revents) break;

        // Lines in the order their connections came; then the expired ones go.
        const auto later = Clock::now();
        for (std::size_t i = 0; i < pending.size(); ++i) {
            Pending& p = pending[i];
            std::string name;
            const bool open = !fds[i + 2].revents || readLine(p, name);
            if (open && p.deadline > later) continue;
            ::close(p.fd);
            p.fd = -1;
            if (acceptableName(name) && onJob_) onJob_(name);
        }
        std::erase_if(pending, [](const Pending& p) { return p.fd < 0; });

        if (!(fds[0].revents & POLLIN)) continue;
        const int connection = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (connection < 0) {
            // The peer gave up meanwhile, or a shortage of descriptors: then
            // the connection stays queued, so pause instead of spinning.
            if (errno != EINTR && errno != ECONNABORTED && errno != EAGAIN)
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
            continue;
        }
        if (!mayNotify(connection)) {
            ::close(connection);
            continue;
        }
        if (pending.size() >= kMaxPending) {
            ::close(pending.front().fd);
            pending.erase(pending.begin());
        }
        pending.push_back({connection, Clock::now() + std::chrono::milliseconds(kLineTimeoutMs), {}});
    }
    for (const Pending& p : pending) ::close(p.fd);
}

bool clientIsRunning() {
    const int fd = encdec::ConnectClientIpc();
    if (fd < 0) return false;
    ::close(fd);
    return true;
}

}  // namespace zentcore
