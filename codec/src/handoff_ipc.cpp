// The client's notification socket in the abstract namespace: no file to
// leave behind, and it vanishes with the client.
#include <zcodec/handoff.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <string>

namespace encdec {

namespace {

// A client that is slow to accept gets this long before the hand-off gives up
// telling it; the job files are in place either way.
constexpr int kSendTimeoutMs = 1000;

bool makeAddress(uid_t user, sockaddr_un& address, socklen_t& length) {
    const std::string name = ClientIpcName(user);
    address = {};
    address.sun_family = AF_UNIX;
    if (name.size() + 1 > sizeof address.sun_path) {
        errno = ENAMETOOLONG;
        return false;
    }
    std::memcpy(address.sun_path + 1, name.data(), name.size());   // sun_path[0] = 0: abstract
    length = socklen_t(offsetof(sockaddr_un, sun_path) + 1 + name.size());
    return true;
}

void closeKeepingErrno(int fd) {
    const int saved = errno;
    ::close(fd);
    errno = saved;
}

}  // namespace

std::string ClientIpcName() { return ClientIpcName(::geteuid()); }

std::string ClientIpcName(uid_t user) {
    const char* suffix = std::getenv("ZENTROPE_IPC");
    return "zentroclient_ipc" + std::to_string(user) + (suffix ? suffix : "");
}

int ConnectClientIpc() { return ConnectClientIpc(::geteuid()); }

bool NotifyClient(uid_t user, const std::string& dataFileName) {
    const int socket = ConnectClientIpc(user);
    if (socket < 0) return false;
    const std::string line = dataFileName + "\n";
    const bool sent = ::send(socket, line.data(), line.size(), MSG_NOSIGNAL) == ssize_t(line.size());
    const int error = errno;
    ::close(socket);
    errno = sent ? 0 : (error ? error : EPIPE);
    return sent;
}

int ConnectClientIpc(uid_t user) {
    sockaddr_un address;
    socklen_t length;
    if (!makeAddress(user, address, length)) return -1;
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    // Bounds both a connect that waits for room in a full backlog and the write.
    timeval timeout{kSendTimeoutMs / 1000, (kSendTimeoutMs % 1000) * 1000};
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), length) != 0) {
        closeKeepingErrno(fd);
        return -1;
    }
    return fd;
}

int ListenClientIpc() {
    sockaddr_un address;
    socklen_t length;
    if (!makeAddress(::geteuid(), address, length)) return -1;
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), length) != 0 || ::listen(fd, SOMAXCONN) != 0) {
        closeKeepingErrno(fd);
        return -1;
    }
    return fd;
}

}  // namespace encdec
