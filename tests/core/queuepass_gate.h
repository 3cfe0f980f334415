// A TCP gate on 127.0.0.1 in front of a print server: while closed it accepts
// connections and never answers them (a server that hangs mid-exchange);
// once opened it relays every new connection to the server, byte for byte.
#pragma once

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace queuetest {

class ServerGate {
public:
    explicit ServerGate(int serverPort);
    ~ServerGate();
    ServerGate(const ServerGate&) = delete;
    ServerGate& operator=(const ServerGate&) = delete;

    std::string address() const { return "127.0.0.1:" + std::to_string(port_); }
    void open() { open_.store(true); }
    // Connections accepted while closed (held open, unanswered).
    int held() const { return held_.load(); }

private:
    void run();
    void relay(int client);

    int serverPort_;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> open_{false};
    std::atomic<bool> stop_{false};
    std::atomic<int> held_{0};
    std::vector<int> heldFds_;   // only touched by the gate's thread until it is joined
    std::thread thread_;
};

}  // namespace queuetest
