#include "shell/readynotify.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <string>

namespace zentclient {

void NotifyReady() {
    const char* name = std::getenv("NOTIFY_SOCKET");
    if (!name || !*name) return;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::size_t length = std::strlen(name);
    if (length >= sizeof address.sun_path) return;
    std::memcpy(address.sun_path, name, length);
    if (name[0] == '@') address.sun_path[0] = '\0';   // abstract namespace
    const int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return;
    static const char message[] = "READY=1";
    (void)!::sendto(fd, message, sizeof message - 1, MSG_NOSIGNAL, reinterpret_cast<sockaddr*>(&address),
                    socklen_t(offsetof(sockaddr_un, sun_path) + length));
    ::close(fd);
}

}  // namespace zentclient
