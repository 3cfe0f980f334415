#include "queuepass_gate.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

namespace queuetest {

namespace {

constexpr int kStepMs = 20;
// A relayed exchange that goes quiet this long is given up.
constexpr int kRelayIdleMs = 20000;

sockaddr_in loopback(int port) {
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(static_cast<std::uint16_t>(port));
    return addr;
}

}  // namespace

ServerGate::ServerGate(int serverPort) : serverPort_(serverPort) {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr = loopback(0);
    socklen_t len = sizeof addr;
    if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        ::listen(listener_, 8) != 0 || ::getsockname(listener_, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        if (listener_ >= 0) ::close(listener_);
        throw std::runtime_error("cannot listen on 127.0.0.1");
    }
    port_ = ntohs(addr.sin_port);
    thread_ = std::thread([this] { run(); });
}

ServerGate::~ServerGate() {
    stop_.store(true);
    thread_.join();
    for (int fd : heldFds_) ::close(fd);
    ::close(listener_);
}

void ServerGate::run() {
    while (!stop_.load()) {
        pollfd p{listener_, POLLIN, 0};
        if (::poll(&p, 1, kStepMs) <= 0) continue;
        const int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0) continue;
        if (!open_.load()) {
            heldFds_.push_back(client);
            held_.fetch_add(1);
            continue;
        }
        relay(client);
        ::close(client);
    }
}

// One connection at a time is enough: the client makes one exchange per
// connection, one after the other.
void ServerGate::relay(int client) {
    const int server = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_in addr = loopback(serverPort_);
    if (server < 0 || ::connect(server, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0) {
        if (server >= 0) ::close(server);
        return;
    }
    bool clientOpen = true, serverOpen = true;
    for (int idle = 0; (clientOpen || serverOpen) && idle < kRelayIdleMs && !stop_.load();) {
        pollfd p[2] = {{client, short(clientOpen ? POLLIN : 0), 0}, {server, short(serverOpen ? POLLIN : 0), 0}};
        if (::poll(p, 2, kStepMs) <= 0) {
            idle += kStepMs;
            continue;
        }
        idle = 0;
        for (int side = 0; side < 2; ++side) {
            if (!(p[side].revents & (POLLIN | POLLHUP | POLLERR))) continue;
            const int from = side == 0 ? client : server;
            const int to = side == 0 ? server : client;
            char buffer[65536];
            const ssize_t n = ::recv(from, buffer, sizeof buffer, 0);
            if (n <= 0) {
                ::shutdown(to, SHUT_WR);
                (side == 0 ? clientOpen : serverOpen) = false;
                continue;
            }
            for (ssize_t sent = 0; sent < n;) {
                const ssize_t w = ::send(to, buffer + sent, std::size_t(n - sent), MSG_NOSIGNAL);
                if (w <= 0) break;
                sent += w;
            }
        }
    }
    ::close(server);
}

}  // namespace queuetest
