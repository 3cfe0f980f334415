// A print server played from a script, for the client exchange tests: a real
// listening socket on 127.0.0.1 that serves one connection at a time, records
// each request (header and payload as received) and answers it as told.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <zcodec/clientthread.h>
#include <zcodec/commheader.h>

namespace exchangetest {

struct Request {
    encdec::TCommHeader header;
    std::string payload;   // the bytes after the header, still packed
};

// What the peer does with one request.
struct Reply {
    std::string payload;                      // bytes after the header, as sent
    std::int32_t ackError = 0;
    std::string errorText;
    encdec::TransportType enccmp = encdec::ttNone;
    std::optional<std::int32_t> lengthField;  // raw length field; else payload + 256
    std::optional<std::size_t> closeAfter;    // close after this many answer bytes (header included)
    int delayMs = 0;                          // pause before the header
    int trickleMs = 0;                        // pause between payload bytes
    bool silent = false;                      // never answer; keep the connection open
};

// Shorthands for the common replies.
Reply text(std::string payload);
Reply number(std::int32_t value, std::string rest = {});   // 4 bytes big-endian, then rest

class ScriptedPeer {
public:
    ScriptedPeer();
    ~ScriptedPeer();
    ScriptedPeer(const ScriptedPeer&) = delete;
    ScriptedPeer& operator=(const ScriptedPeer&) = delete;

    int port() const { return port_; }
    std::string address() const { return "127.0.0.1:" + std::to_string(port_); }

    // Replies are used in order; once they run out every request gets an
    // empty answer.
    void push(Reply reply);
    std::vector<Request> requests() const;
    int connections() const { return connections_.load(); }
    bool waitForRequests(std::size_t count, int timeoutMs) const;

private:
    void serve();
    void answer(int fd);

    int listenFd_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<int> connections_{0};
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::deque<Reply> script_;
    std::vector<Request> requests_;
    std::thread thread_;
};

// Packs or unpacks bytes as a transport type prescribes, with the real pipeline.
std::string pack(encdec::TransportType type, const std::string& bytes);
std::string unpack(encdec::TransportType type, const std::string& bytes);

std::string bigEndian32(std::uint32_t value);

// Runs one exchange on a TClientThread and waits for its body to end.
std::unique_ptr<encdec::TClientThread> runExchange(const std::string& command, const std::string& data,
                                                   const std::string& address,
                                                   encdec::TransportType type = encdec::ttNone,
                                                   std::int32_t session = 0, const std::string& answerFile = {},
                                                   platform::WindowHandle owner = 0);
// The answer's bytes (empty without an answer).
std::string answerBytes(const encdec::TClientThread& thread);

}  // namespace exchangetest
