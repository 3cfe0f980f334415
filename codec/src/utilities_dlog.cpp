// The switchable debug log.
#include <zcodec/utilities.h>

#include <zplatform/registry.h>
#include <zplatform/system.h>

#include <fcntl.h>
#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <map>
#include <mutex>

namespace encdec {

namespace {

bool readLoggingSwitch(const std::string& suffix) {
    auto key = platform::RegKey::openReadOnly(platform::Hive::LocalMachine, "SOFTWARE\\ORLO Vestra");
    if (!key) return false;
    auto value = ParseInt(key->readString("DebugBackDll" + suffix));
    return value && *value != 0;
}

// Decided on first use and then kept, so that switching the value takes effect
// at the next start. Keyed by the machine settings file as well, which only
// changes when a test points the process at another machine.
bool loggingOn(const std::string& suffix) {
    struct Decisions {
        std::mutex mutex;
        std::map<std::string, bool> byKey;
    };
    // Never destroyed: threads may still log while the process exits.
    static Decisions* decisions = new Decisions;
    std::string key = platform::hiveFile(platform::Hive::LocalMachine) + '\n' + suffix;
    {
        std::lock_guard lock(decisions->mutex);
        if (auto it = decisions->byKey.find(key); it != decisions->byKey.end()) return it->second;
    }
    bool on = readLoggingSwitch(suffix);
    std::lock_guard lock(decisions->mutex);
    return decisions->byKey.emplace(key, on).first->second;
}

std::string timestamp() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    std::tm utc{};
    gmtime_r(&now.tv_sec, &utc);
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d,%03d", utc.tm_year + 1900, utc.tm_mon + 1,
                  utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec, static_cast<int>(now.tv_nsec / 1000000));
    return text;
}

int openForAppend(const std::string& file) {
    constexpr int flags = O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC;
    int fd = ::open(file.c_str(), flags, 0644);
    if (fd < 0 && errno == ENOENT) {
        std::size_t slash = file.find_last_of('/');
        if (slash != std::string::npos && slash > 0 && platform::forceDirectories(file.substr(0, slash)))
            fd = ::open(file.c_str(), flags, 0644);
    }
    return fd;
}

std::string homeFromPasswd() {
    passwd entry{};
    passwd* found = nullptr;
    char buffer[4096];
    if (getpwuid_r(geteuid(), &entry, buffer, sizeof buffer, &found) == 0 && found && found->pw_dir)
        return found->pw_dir;
    return platform::tempDirectory();
}

}  // namespace

void dlog(const std::string& file, const std::string& message, const std::string& suffix) {
    if (!loggingOn(suffix)) return;
    // errno belongs to the caller, who may be about to report it.
    int savedErrno = errno;
    int fd = openForAppend(file);
    if (fd >= 0) {
        // One write per line: appends of other threads and processes land
        // before or after it, never inside.
        std::string line = timestamp() + " " + message + "\n";
        std::size_t done = 0;
        while (done < line.size()) {
            ssize_t n = ::write(fd, line.data() + done, line.size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            done += static_cast<std::size_t>(n);
        }
        ::close(fd);
    }
    errno = savedErrno;
}

std::string ClientThreadLogFile() {
    const char* state = std::getenv("XDG_STATE_HOME");
    std::string base;
    if (state && state[0] == '/') {
        base = state;
    } else {
        const char* home = std::getenv("HOME");
        if (home && *home) base = home;
        else base = homeFromPasswd();
        base += "/.local/state";
    }
    return base + "/zentrope/clthread.log";
}

}  // namespace encdec
