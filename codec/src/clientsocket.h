// The client end of one TCP connection: blocking socket, every wait done with
// poll in short steps so that time-outs and termination requests are honoured.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

struct addrinfo;

namespace encdec::exchange {

using StopRequested = std::function<bool()>;

class ClientSocket {
public:
    ClientSocket(std::string host, int port);
    ~ClientSocket();
    ClientSocket(const ClientSocket&) = delete;
    ClientSocket& operator=(const ClientSocket&) = delete;

    const std::string& host() const { return host_; }
    int port() const { return port_; }

    // Resolves the host and starts connecting to its first address; false
    // when the name cannot be resolved or no address could be tried.
    bool Open();
    enum class State { Connected, Pending, Failed };
    // Waits at most stepMs for the connection; a refused address gives way to
    // the next one the name resolved to.
    State PollConnected(int stepMs);
    bool Connected() const { return fd_ >= 0 && connected_; }

    // Waits until data or the end of the connection can be read, at most
    // timeoutMs; false on time-out or when stop() says so.
    bool WaitReadable(int timeoutMs, const StopRequested& stop);
    // Writes all n bytes; false when the connection fails, stays blocked for
    // timeoutMs, or stop() says so.
    bool WriteAll(const void* data, std::size_t n, int timeoutMs, const StopRequested& stop);
    // Sends n bytes of the open file fileFd from offset on, without copying
    // them through our memory; same outcomes as WriteAll.
    bool SendFile(int fileFd, std::int64_t offset, std::int64_t n, int timeoutMs, const StopRequested& stop);
    // Reads exactly n bytes; false when the connection ends first, stays
    // silent for timeoutMs, or stop() says so.
    bool ReadExactly(void* data, std::size_t n, int timeoutMs, const StopRequested& stop);
    void Close();

private:
    bool startNextAddress();
    void closeSocket();
    // poll() for the events in steps until ready, time-out or stop.
    bool waitFor(short events, int timeoutMs, const StopRequested& stop);

    std::string host_;
    int port_;
    int fd_ = -1;
    bool connected_ = false;
    addrinfo* addresses_ = nullptr;
    addrinfo* next_ = nullptr;
};

}  // namespace encdec::exchange
