// SubmitFileToNetClient: copies a spooled job into the working directory as
// ztp_N.ztp, writes ztp_N.txt beside it and tells the running client.
#include "handoff_description.h"

#include <zcodec/handoff.h>
#include <zplatform/registry.h>
#include <zplatform/fd.h>
#include <zplatform/system.h>

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <optional>

namespace encdec {

namespace {

constexpr int kMaxJobNumber = 999;

using Fd = platform::UniqueFd;

std::optional<std::string> readWorkingDirectory(std::string& errorText) {
    const auto key = platform::RegKey::openReadOnly(platform::Hive::LocalMachine,
                                                    "SOFTWARE\\ORLO Vestra\\Zentrope Client");
    if (!key) {
        errorText = "TRegistry->OpenKeyReadOnly() failed";
        return std::nullopt;
    }
    // A missing, empty or numeric value names no directory: the job would land
    // in the file system's root or nowhere.
    auto dir = key->tryReadString("FirstTempDir");
    if (!dir || dir->empty() || key->readDword("FirstTempDir")) {
        errorText = "TRegistry->ReadString() failed";
        return std::nullopt;
    }
    return dir;
}

std::string jobPath(const std::string& dir, int number, const char* extension) {
    const std::string sep = dir.back() == '/' ? "" : "/";
    return dir + sep + "ztp_" + std::to_string(number) + extension;
}

// The first number whose data file is absent; 0 when all are taken.
int firstFreeNumber(const std::string& dir, int from) {
    for (int n = from; n <= kMaxJobNumber; ++n)
        if (!platform::fileExists(jobPath(dir, n, ".ztp"))) return n;
    return 0;
}

// Creates the data file exclusively from `number` on, so that concurrent
// hand-offs never share a number; the number taken is written back. -1 with
// errno on failure, and with number 0 when every number is taken.
int createDataFile(const std::string& dir, int& number) {
    for (; number >= 1 && number <= kMaxJobNumber; ++number) {
        int fd = ::open(jobPath(dir, number, ".ztp").c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    number = 0;
    return -1;
}

// Copies the whole source; the number of bytes moved, or nullopt on an error.
std::optional<std::size_t> copyAll(int from, int to) {
    char buffer[65536];
    std::size_t total = 0;
    for (;;) {
        const ssize_t n = ::read(from, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return std::nullopt;
        if (n == 0) return total;
        if (!platform::writeAll(to, buffer, std::size_t(n))) return std::nullopt;
        total += std::size_t(n);
    }
}

void notifyClient(const std::string& dataFileName, std::string& errorText) {
    Fd socket(ConnectClientIpc());
    if (socket.get() < 0) {
        // A client that listens but cannot take the connection in time is
        // there but was not told.
        errorText = errno == EAGAIN ? "PostMessage() failed" : "EnumWindows() failed";
        return;
    }
    const std::string line = dataFileName + "\n";
    if (::send(socket.get(), line.data(), line.size(), MSG_NOSIGNAL) != ssize_t(line.size()))
        errorText = "PostMessage() failed";
}

}  // namespace

bool SubmitFileToNetClient(const std::string& source, const ZTP_JOBDATA* job, std::string& errorText) {
    std::string baseName;
    return SubmitFileToNetClient(source, job, errorText, baseName);
}

bool SubmitFileToDirectory(const std::string& source, const ZTP_JOBDATA& job, const std::string& dir,
                           std::string& errorText, std::string& baseName) {
    // No directory is no place to write (and never the root by accident).
    if (dir.empty()) {
        errorText = "Failed to write-open ZTP file!";
        return false;
    }
    int number = firstFreeNumber(dir, 1);
    if (number == 0) return false;

    Fd in(::open(source.c_str(), O_RDONLY | O_CLOEXEC));
    if (in.get() < 0) {
        errorText = "Failed to read-open file";
        return false;
    }
    Fd out(createDataFile(dir, number));
    if (out.get() < 0) {
        if (number != 0) errorText = "Failed to write-open ZTP file!";
        return false;
    }
    const std::string dataPath = jobPath(dir, number, ".ztp");
    // Whatever goes wrong from here on, no half job is left for the client.
    auto fail = [&](const std::string& text) {
        out.close();
        ::unlink(dataPath.c_str());
        errorText = text;
        return false;
    };

    const auto copied = copyAll(in.get(), out.get());
    if (!copied) return fail("Failed to update ZTP file: " + platform::errorText(errno));
    if (*copied == 0) return fail("Failed to update ZTP file");
    // The data is on disk before its description can announce it.
    if (::fsync(out.get()) != 0 || !out.close())
        return fail("Failed to update ZTP file: " + platform::errorText(errno));

    // Renamed into place complete, so a scan of the directory never reads half of it.
    if (!platform::writeFileAtomically(jobPath(dir, number, ".txt"), detail::JobDescriptionText(job)))
        return fail("Failed to write-open TXT file");

    baseName = "ztp_" + std::to_string(number);
    return true;
}

bool SubmitFileToNetClient(const std::string& source, const ZTP_JOBDATA* job, std::string& errorText,
                           std::string& baseName) {
    if (!job) {
        errorText = "No job description given";
        return false;
    }
    const auto dir = readWorkingDirectory(errorText);
    if (!dir) return false;
    if (!SubmitFileToDirectory(source, *job, *dir, errorText, baseName)) return false;
    notifyClient(baseName + ".ztp", errorText);
    return true;
}

}  // namespace encdec
