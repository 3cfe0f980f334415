// Unique, empty temporary files named "<counter>.<ext>".
#include <orlo/orlofunction.h>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <new>
#include <system_error>

namespace {

constexpr long long counterRange = 100000000;

// $TMPDIR or /tmp, created when missing; the current directory when neither works.
std::string tempDirectory() {
    const char* env = std::getenv("TMPDIR");
    std::string dir = env && *env ? env : "/tmp";
    std::error_code ec;
    if (!std::filesystem::is_directory(dir, ec)) {
        std::filesystem::create_directories(dir, ec);
        if (!std::filesystem::is_directory(dir, ec)) dir.assign(1, '.');
    }
    if (dir.back() != '/') dir += '/';
    return dir;
}

long long millisecondsNow() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

}  // namespace

std::string TOrloFunction::AnsiTempFileName(const std::string& extension) {
    const std::string dir = tempDirectory();
    const std::string ext = extension.substr(0, 3);
    long long counter = millisecondsNow() % counterRange;
    // O_EXCL makes the existence check and the creation one step, so two
    // threads or processes never end up with the same name.
    for (long long tries = 0; tries < counterRange; ++tries, counter = (counter + 1) % counterRange) {
        std::string path = dir + std::to_string(counter) + "." + ext;
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0) {
            ::close(fd);
            return path;
        }
        // Any other failure (no permission, bad extension) would repeat for
        // every name: report it instead of looping. errno tells why.
        if (errno != EEXIST) return {};
    }
    errno = EEXIST;
    return {};
}

char* TOrloFunction::TempFileName(const char* extension) {
    const std::string path = AnsiTempFileName(extension ? extension : "");
    if (path.empty()) return nullptr;
    char* copy = new (std::nothrow) char[path.size() + 1];
    if (!copy) {
        ::unlink(path.c_str());
        errno = ENOMEM;
        return nullptr;
    }
    std::memcpy(copy, path.c_str(), path.size() + 1);
    return copy;
}
