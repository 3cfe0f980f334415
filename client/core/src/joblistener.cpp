// Receives job notifications: one connection per job, one line per connection.
#include <zentcore/joblistener.h>

#include <zcodec/handoff.h>
#include <zcodec/jobfiles.h>

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <system_error>
#include <thread>
#include <cstdint>
#include <string_view>

namespace zentcore {

namespace {

// A sender gets this long to deliver its line; a stalled one never holds up
// the next job for longer.
constexpr int kLineTimeoutMs = 500;
// The longest name we accept plus its line feed; anything longer is refused.
constexpr std::size_t kMaxLine = 64;

}  // namespace

JobListener::JobListener(Callback onJob) : onJob_(std::move(onJob)) {
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

void JobListener::run() {
    for (;;) {
        pollfd fds[2] = {{listenFd_, POLLIN, 0}, {wakeFd_, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (fds[1].revents) return;
        if (!(fds[0].revents & POLLIN)) continue;
        const int connection = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (connection < 0) {
            // The peer gave up meanwhile, or a shortage of descriptors: then
            // the connection stays queued, so pause instead of spinning.
            if (errno != EINTR && errno != ECONNABORTED) std::this_thread::sleep_for(std::chrono::milliseconds(100));
            continue;
        }
        serve(connection);
        ::close(connection);
    }
}

void JobListener::serve(int connection) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(kLineTimeoutMs);
    std::string line;
    char buffer[kMaxLine + 1];
    while (line.find('\n') == std::string::npos && line.size() <= kMaxLine) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) return;
        pollfd fds[2] = {{connection, POLLIN, 0}, {wakeFd_, POLLIN, 0}};
        const int ready = ::poll(fds, 2, int(left));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0 || fds[1].revents) return;
        const ssize_t n = ::read(connection, buffer, kMaxLine + 1 - line.size());
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (n <= 0) return;   // closed before the line feed: a cut-off name
        line.append(buffer, std::size_t(n));
    }
    const auto end = line.find('\n');
    if (end == std::string::npos) return;   // too long
    const std::string name = line.substr(0, end);
    if (acceptableName(name) && onJob_) onJob_(name);
}

bool clientIsRunning() {
    const int fd = encdec::ConnectClientIpc();
    if (fd < 0) return false;
    ::close(fd);
    return true;
}

}  // namespace zentcore
