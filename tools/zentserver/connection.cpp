#include "connection.h"

#include <sys/ioctl.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <new>
#include <utility>

namespace zentserver {

namespace {

constexpr std::size_t kStepBytes = std::size_t(1) << 20;

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

// Receives into [buffer, buffer + n) until it is full, the socket is empty
// or the step's share is used up; got counts what arrived.
Step receive(int fd, std::uint8_t* buffer, std::size_t n, std::size_t& got) {
    got = 0;
    while (got < n) {
        const ssize_t r = ::recv(fd, buffer + got, n - got, MSG_DONTWAIT);
        if (r == 0) return Step::Closed;
        if (r < 0) {
            if (errno == EINTR) continue;
            return errno == EAGAIN || errno == EWOULDBLOCK ? Step::Waiting : Step::Failed;
        }
        got += std::size_t(r);
    }
    return Step::Done;
}

}  // namespace

const char* describe(Step step) {
    switch (step) {
        case Step::Waiting: return "waiting";
        case Step::Done: return "done";
        case Step::Closed: return "connection closed";
        case Step::Failed: return "connection error";
    }
    return "?";
}

Connection::Connection(platform::UniqueFd socket, std::string peerAddress, Clock::time_point now)
    : fd(std::move(socket)), peer(std::move(peerAddress)), opened(now), lastProgress(now), deadline(now) {}

Step Connection::readHeader() {
    std::size_t got = 0;
    const Step step = receive(fd.get(), image + headerBytes, sizeof image - headerBytes, got);
    headerBytes += got;
    if (got > 0) lastProgress = Clock::now();
    return step;
}

// The buffer is reserved once for the announced size: no regrowth, no
// copying. Reserved pages are only backed as bytes arrive, so a header that
// announces much and sends little still costs little memory.
Step Connection::readPayload() {
    const auto size = std::size_t(request.Size);
    if (payload.capacity() < size && payload.empty()) {
        try {
            payload.reserve(size);
            preferHugePages(payload);
        } catch (const std::bad_alloc&) {
            // Not refused for this alone: the buffer then grows as bytes arrive.
        }
    }
    // Only as much room as the socket holds: growing the buffer writes to
    // it, and a peer sending a byte at a time must not cost a mebibyte each.
    int queued = 0;
    if (::ioctl(fd.get(), FIONREAD, &queued) != 0) queued = 0;
    const std::size_t old = payload.size();
    const std::size_t chunk = std::min({kStepBytes, size - old, std::max<std::size_t>(std::size_t(queued), 4096)});
    payload.resize(old + chunk);
    std::size_t got = 0;
    Step step = receive(fd.get(), payload.data() + old, chunk, got);
    payload.resize(old + got);
    if (got > 0) lastProgress = Clock::now();
    if (step == Step::Done && payload.size() < size) step = Step::Waiting;   // the share is used up, not the payload
    return step;
}

Step Connection::writeAnswer() {
    const Bytes& wire = answer.wire;
    std::size_t budget = kStepBytes;
    while (answerSent < wire.size() && budget > 0) {
        const std::size_t n = std::min(budget, wire.size() - answerSent);
        const ssize_t w = ::send(fd.get(), wire.data() + answerSent, n, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (w < 0) {
            if (errno == EINTR) continue;
            return errno == EAGAIN || errno == EWOULDBLOCK ? Step::Waiting : Step::Failed;
        }
        answerSent += std::size_t(w);
        budget -= std::size_t(w);
        lastProgress = Clock::now();
    }
    return answerSent == wire.size() ? Step::Done : Step::Waiting;
}

Step Connection::drain() {
    std::uint8_t sink[4096];
    for (std::size_t taken = 0; taken < kStepBytes;) {
        std::size_t got = 0;
        const Step step = receive(fd.get(), sink, sizeof sink, got);
        taken += got;
        if (step != Step::Done) return step;
    }
    return Step::Waiting;
}

std::string Connection::progressText() const {
    if (phase == Phase::Header)
        return "after " + std::to_string(headerBytes) + " of " + std::to_string(encdec::kCommHeaderSize) +
               " header bytes";
    return "after " + std::to_string(payload.size()) + " of " + std::to_string(request.Size) + " payload bytes";
}

}  // namespace zentserver
