// The network side: listens on one address and serves one request per
// connection. A single loop does every connection's socket work without
// blocking (epoll), so idle or slow peers cost a descriptor and a few bytes
// each and never keep another connection waiting; complete requests go to
// a pool of workers. Every request has deadlines: its header must arrive
// within header_deadline_ms of connecting, its payload (and later its
// answer) within payload_deadline_ms plus a second per min_bytes_per_second
// bytes, and no connection may stay silent for io_timeout_ms.
#pragma once

#include <sys/epoll.h>

#include <atomic>
#include <list>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include <zplatform/fd.h>

#include "connection.h"
#include "dispatcher.h"
#include "request_log.h"
#include "worker_pool.h"

namespace zentserver {

class TcpServer {
public:
    TcpServer(Dispatcher& dispatcher, RequestLog& log);
    ~TcpServer();
    TcpServer(const TcpServer&) = delete;
    TcpServer& operator=(const TcpServer&) = delete;

    // Binds and listens (port 0: any free port); returns the bound address as
    // "host:port". Raises std::runtime_error on failure.
    std::string listen(const std::string& host, int port);

    // Serves until stop becomes true. Then requests still arriving are
    // dropped, those being handled are finished and answered (for a short
    // while at most), and it returns.
    void run(const std::atomic<bool>& stop);

private:
    struct Handled {
        Connection* connection;
        std::optional<Answer> answer;   // none: handling failed with `failure`
        std::string failure;
    };

    void acceptNew(Clock::time_point now);
    bool makeRoom(Clock::time_point now);
    void advance(Connection& c, Clock::time_point now);
    void headerComplete(Connection& c, Clock::time_point now);
    void startHandling(Connection& c);
    void takeHandled(Clock::time_point now);
    void answerReady(Connection& c, Clock::time_point now);
    void startAnswer(Connection& c, Clock::time_point now);
    void answered(Connection& c, const std::string& outcome, Clock::time_point now);
    void expire(Clock::time_point now);
    void beginStop(Clock::time_point now);
    void drop(Connection& c, const std::string& why);
    void close(Connection& c);
    void watch(Connection& c, std::uint32_t events);
    void watchListener(bool on);
    void logRequest(const Connection& c, const std::string& outcome);

    Dispatcher& dispatcher_;
    RequestLog& log_;
    platform::UniqueFd listener_;
    platform::UniqueFd epoll_;
    platform::UniqueFd wake_;          // an eventfd the workers signal
    std::list<Connection> connections_;   // in the order they were accepted
    std::size_t openLimit_ = 0;
    std::size_t open_ = 0;            // connections not closed yet
    bool listening_ = false;
    bool stopping_ = false;
    Clock::time_point stopDeadline_;
    Clock::time_point acceptPausedUntil_;

    std::mutex handledMutex_;
    std::vector<Handled> handled_;
    // Last member: destroyed first, so no worker outlives what it reports to.
    WorkerPool workers_;
};

}  // namespace zentserver
