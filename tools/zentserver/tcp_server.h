// The network side: listens on one address, serves one request per
// connection on a thread of its own (up to the configured number at once;
// connections beyond it are closed at once), with an idle time-out on every
// read and write so that a silent client cannot hold a connection.
#pragma once

#include <atomic>
#include <list>
#include <memory>
#include <string>
#include <thread>

#include "dispatcher.h"
#include "request_log.h"

namespace zentserver {

class TcpServer {
public:
    TcpServer(Dispatcher& dispatcher, RequestLog& log);
    ~TcpServer();   // closes the listener and waits for every connection
    TcpServer(const TcpServer&) = delete;
    TcpServer& operator=(const TcpServer&) = delete;

    // Binds and listens (port 0: any free port); returns the bound address as
    // "host:port". Raises std::runtime_error on failure.
    std::string listen(const std::string& host, int port);

    // Serves until stop becomes true, then waits for the open connections
    // (which notice stop within a fraction of a second).
    void run(const std::atomic<bool>& stop);

private:
    struct Worker {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> done;
    };

    void serve(int fd, const std::string& peer, const std::atomic<bool>& stop);
    void reap(bool all);

    Dispatcher& dispatcher_;
    RequestLog& log_;
    int listener_ = -1;
    std::list<Worker> workers_;
};

}  // namespace zentserver
