// Who and where we are: user, kernel version, own executable, error texts.
#include <zplatform/system.h>

#include <pwd.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace platform {

std::string userName() {
    std::string buf(16384, '\0');
    passwd pw;
    passwd* found = nullptr;
    int rc = ::getpwuid_r(::geteuid(), &pw, buf.data(), buf.size(), &found);
    if (rc != 0 || !found || !pw.pw_name) {
        // The caller reports the failure with the system's text for errno.
        if (rc != 0) errno = rc;
        return {};
    }
    return pw.pw_name;
}

SystemVersion systemVersion() {
    SystemVersion v{2, 0, 0, {}};
    utsname u;
    if (::uname(&u) != 0) return v;
    v.release = u.release;
    // "6.1.0-18-amd64": the leading numbers are the kernel version.
    char* end = nullptr;
    v.major = int(std::strtol(u.release, &end, 10));
    if (end && *end == '.') v.minor = int(std::strtol(end + 1, nullptr, 10));
    return v;
}

std::string executablePath() {
    std::string buf(4096, '\0');
    for (;;) {
        ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size());
        if (n < 0) return {};
        if (size_t(n) < buf.size()) return buf.substr(0, size_t(n));
        buf.resize(buf.size() * 2);
    }
}

int lastError() { return errno; }

std::string errorText(int code) {
    char buf[256];
    // The GNU strerror_r returns its text, which may or may not be in buf.
    return ::strerror_r(code, buf, sizeof buf);
}

}  // namespace platform
