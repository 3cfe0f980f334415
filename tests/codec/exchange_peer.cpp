#include "exchange_peer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <stdexcept>

#include <zcodec/pipeline.h>
#include <zcodec/streams.h>

namespace exchangetest {

namespace {

using namespace std::chrono_literals;

constexpr int kIoLimitMs = 20000;

// Waits for the events in short steps so that a stopping peer never hangs.
bool ready(int fd, short events, const std::atomic<bool>& stop, int limitMs = kIoLimitMs) {
    for (int waited = 0; waited < limitMs && !stop.load(); waited += 20) {
        pollfd p{fd, events, 0};
        if (poll(&p, 1, 20) > 0) return true;
    }
    return false;
}

bool readAll(int fd, void* buffer, std::size_t n, const std::atomic<bool>& stop) {
    auto* p = static_cast<char*>(buffer);
    while (n > 0) {
        if (!ready(fd, POLLIN, stop)) return false;
        ssize_t got = recv(fd, p, n, 0);
        if (got <= 0) return false;
        p += got;
        n -= std::size_t(got);
    }
    return true;
}

bool writeAll(int fd, const char* p, std::size_t n, const std::atomic<bool>& stop) {
    while (n > 0) {
        if (!ready(fd, POLLOUT, stop)) return false;
        ssize_t sent = send(fd, p, n, MSG_NOSIGNAL);
        if (sent <= 0) return false;
        p += sent;
        n -= std::size_t(sent);
    }
    return true;
}

void pause(int ms, const std::atomic<bool>& stop) {
    for (int waited = 0; waited < ms && !stop.load(); waited += 10) std::this_thread::sleep_for(10ms);
}

std::string runPipeline(bool packing, encdec::TransportType type, const std::string& bytes) {
    encdec::MemoryStream in(std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
    encdec::MemoryStream out;
    bool ok;
    if (packing) {
        encdec::EncCmpThread worker(false, type, &in, &out);
        worker.WaitFor();
        ok = worker.IsSuccessful();
    } else {
        encdec::DecUncmpThread worker(false, type, &in, &out);
        worker.WaitFor();
        ok = worker.IsSuccessful();
    }
    if (!ok) throw std::runtime_error("pipeline failed");
    return std::string(out.bytes().begin(), out.bytes().end());
}

}  // namespace

Reply text(std::string payload) {
    Reply r;
    r.payload = std::move(payload);
    return r;
}

Reply number(std::int32_t value, std::string rest) { return text(bigEndian32(std::uint32_t(value)) + rest); }

std::string bigEndian32(std::uint32_t value) {
    return {char(value >> 24), char(value >> 16), char(value >> 8), char(value)};
}

std::string pack(encdec::TransportType type, const std::string& bytes) { return runPipeline(true, type, bytes); }
std::string unpack(encdec::TransportType type, const std::string& bytes) { return runPipeline(false, type, bytes); }

std::unique_ptr<encdec::TClientThread> runExchange(const std::string& command, const std::string& data,
                                                   const std::string& address, encdec::TransportType type,
                                                   std::int32_t session, const std::string& answerFile,
                                                   platform::WindowHandle owner) {
    auto thread = std::make_unique<encdec::TClientThread>(false, command, data, address, owner, type, session, 0,
                                                          answerFile);
    thread->waitFor();
    return thread;
}

std::string answerBytes(const encdec::TClientThread& thread) {
    const std::uint8_t* p = thread.GetAnswerAsPointer();
    return p ? std::string(reinterpret_cast<const char*>(p), std::size_t(thread.GetAnswerLength())) : std::string();
}

ScriptedPeer::ScriptedPeer() {
    listenFd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    if (listenFd_ < 0 || bind(listenFd_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
        listen(listenFd_, 8) != 0 || getsockname(listenFd_, reinterpret_cast<sockaddr*>(&a), &len) != 0)
        throw std::runtime_error("scripted peer cannot listen");
    port_ = ntohs(a.sin_port);
    thread_ = std::thread([this] { serve(); });
}

ScriptedPeer::~ScriptedPeer() {
    stop_.store(true);
    thread_.join();
    close(listenFd_);
}

void ScriptedPeer::push(Reply reply) {
    std::lock_guard lock(mutex_);
    script_.push_back(std::move(reply));
}

std::vector<Request> ScriptedPeer::requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

bool ScriptedPeer::waitForRequests(std::size_t count, int timeoutMs) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return requests_.size() >= count; });
}

void ScriptedPeer::serve() {
    while (!stop_.load()) {
        pollfd p{listenFd_, POLLIN, 0};
        if (poll(&p, 1, 20) <= 0) continue;
        int fd = accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) continue;
        ++connections_;
        answer(fd);
        close(fd);
    }
}

void ScriptedPeer::answer(int fd) {
    char raw[encdec::kCommHeaderSize];
    if (!readAll(fd, raw, sizeof raw, stop_)) return;
    Request request;
    request.header.SetData(raw, sizeof raw);
    request.payload.resize(std::size_t(request.header.Size));
    if (!readAll(fd, request.payload.data(), request.payload.size(), stop_)) return;
    Reply reply;
    {
        std::lock_guard lock(mutex_);
        requests_.push_back(request);
        if (!script_.empty()) {
            reply = std::move(script_.front());
            script_.pop_front();
        }
    }
    changed_.notify_all();

    if (reply.silent) {
        // Hold the connection until the client gives up or the peer stops.
        char c;
        while (ready(fd, POLLIN, stop_) && recv(fd, &c, 1, 0) > 0) {
        }
        return;
    }
    pause(reply.delayMs, stop_);
    encdec::TCommHeader header;
    header.SetCommand(request.header.Command);
    header.SetVersion(encdec::kProtocolVersion);
    header.SetEnccmp(reply.enccmp);
    header.SetSize(std::int32_t(reply.payload.size()));
    header.SetSession(request.header.Session);
    header.SetAckError(reply.ackError);
    header.SetAckErrMsg(reply.errorText);
    std::string bytes(reinterpret_cast<const char*>(header.GetData()), encdec::kCommHeaderSize);
    if (reply.lengthField) bytes.replace(32, 4, bigEndian32(std::uint32_t(*reply.lengthField)));
    bytes += reply.payload;
    std::size_t limit = reply.closeAfter ? std::min(*reply.closeAfter, bytes.size()) : bytes.size();
    if (reply.trickleMs == 0) {
        writeAll(fd, bytes.data(), limit, stop_);
        return;
    }
    if (!writeAll(fd, bytes.data(), std::min<std::size_t>(limit, encdec::kCommHeaderSize), stop_)) return;
    for (std::size_t at = encdec::kCommHeaderSize; at < limit && !stop_.load(); ++at) {
        pause(reply.trickleMs, stop_);
        if (!writeAll(fd, bytes.data() + at, 1, stop_)) return;
    }
}

}  // namespace exchangetest
