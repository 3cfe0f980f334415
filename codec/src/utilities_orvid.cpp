// The local service notification.
#include <zcodec/utilities.h>

#include <zplatform/prompter.h>
#include <zplatform/registry.h>
#include <zplatform/system.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace encdec {

namespace {

constexpr int kDefaultPort = 24000;
// A service on this machine accepts at once or not at all; the bound only
// guards against a listener whose backlog is full.
constexpr int kConnectWaitMs = 10000;
constexpr int kWriteTimeoutMs = 10000;
constexpr char kMessage[12] = {'3', '\0', 'l', 'o', 'c', 'a', 'l', 'h', 'o', 's', 't', '\0'};

void fail(const char* caption, const std::string& text = {}) {
    platform::prompter().error(caption, text + "FAIL");
}

class Socket {
public:
    Socket() : fd_(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {}
    ~Socket() {
        if (fd_ >= 0) ::close(fd_);
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    int fd() const { return fd_; }

private:
    int fd_;
};

// 0 when connected, otherwise the errno of the failure.
int connectLocal(int fd, int port) {
    int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) < 0) return errno;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) < 0) {
        if (errno != EINPROGRESS) return errno;
        pollfd p{fd, POLLOUT, 0};
        int ready;
        do ready = ::poll(&p, 1, kConnectWaitMs);
        while (ready < 0 && errno == EINTR);
        if (ready < 0) return errno;
        if (ready == 0) return ETIMEDOUT;
        int error = 0;
        socklen_t length = sizeof error;
        if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) < 0) return errno;
        if (error != 0) return error;
    }
    if (::fcntl(fd, F_SETFL, flags) < 0) return errno;
    return 0;
}

}  // namespace

int OrvidPort(const std::string& product) {
    auto key = platform::RegKey::openReadOnly(platform::Hive::LocalMachine, "SOFTWARE\\ORLO Vestra\\" + product);
    if (!key) return kDefaultPort;
    auto port = ParseInt(key->readString("SVPORT"));
    if (!port || *port < 1 || *port > 65535) return kDefaultPort;
    return *port;
}

void OrvidFunc(const std::string& product) {
    int port = OrvidPort(product);
    Socket socket;
    if (socket.fd() < 0) return fail("Open", platform::errorText(errno));
    if (int error = connectLocal(socket.fd(), port)) return fail("Open", platform::errorText(error));

    timeval timeout{kWriteTimeoutMs / 1000, 0};
    if (::setsockopt(socket.fd(), SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout) < 0) return fail("pStream");

    ssize_t written;
    do written = ::send(socket.fd(), kMessage, sizeof kMessage, MSG_NOSIGNAL);
    while (written < 0 && errno == EINTR);
    if (written < 0) return fail("Write-b");
    if (static_cast<std::size_t>(written) < sizeof kMessage) return fail("Write-a");
}

}  // namespace encdec
