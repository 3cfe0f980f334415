#include <zcodec/jobfiles.h>

#include <zplatform/system.h>

#include <fcntl.h>

#include <cerrno>

namespace encdec {

namespace {

constexpr std::string_view kPrefix = "ztp_";

}  // namespace

JobFiles::JobFiles(std::string dir, std::string baseName) : dir_(std::move(dir)), baseName_(std::move(baseName)) {}

JobFiles::JobFiles(std::string dir, int number) : JobFiles(std::move(dir), baseNameOf(number)) {}

std::string JobFiles::name(std::string_view extension) const {
    std::string name = baseName_;
    name += extension;
    return name;
}

std::string JobFiles::path(std::string_view extension) const { return platform::joinPath(dir_, name(extension)); }

std::string JobFiles::baseNameOf(int number) { return std::string(kPrefix) + std::to_string(number); }

int JobFiles::numberOfBaseName(std::string_view baseName) {
    if (!baseName.starts_with(kPrefix)) return 0;
    const std::string_view digits = baseName.substr(kPrefix.size());
    if (digits.empty() || digits.size() > 3 || digits[0] == '0') return 0;
    int n = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return 0;
        n = n * 10 + (c - '0');
    }
    return n;   // at most three digits without a leading zero: 1 to 999
}

int JobFiles::numberOfDataFile(std::string_view fileName) {
    constexpr std::string_view suffix = ".ztp";
    if (!fileName.ends_with(suffix)) return 0;
    return numberOfBaseName(fileName.substr(0, fileName.size() - suffix.size()));
}

std::optional<std::string> JobFiles::baseNameOfDescription(std::string_view fileName) {
    constexpr std::string_view suffix = ".txt";
    if (fileName.size() <= kPrefix.size() + suffix.size() - 1 || !fileName.starts_with(kPrefix) ||
        !fileName.ends_with(suffix))
        return std::nullopt;
    return std::string(fileName.substr(0, fileName.size() - suffix.size()));
}

std::optional<JobFiles::Created> JobFiles::createNew(const std::string& dir) {
    for (int n = 1; n <= kMaxNumber; ++n) {
        JobFiles files(dir, n);
        platform::UniqueFd fd(::open(files.ztp().c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, kFileMode));
        if (fd.ok()) return Created{std::move(files), std::move(fd)};
        if (errno != EEXIST) return std::nullopt;
    }
    errno = EEXIST;
    return std::nullopt;
}

}  // namespace encdec
