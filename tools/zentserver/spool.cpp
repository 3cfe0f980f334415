#include "spool.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <zplatform/fd.h>
#include <zplatform/owneddir.h>
#include <stdexcept>
#include <utility>

#include "text_util.h"

namespace zentserver {

namespace fs = std::filesystem;

namespace {

const char kJobFile[] = "job.bin";
const char kMetaFile[] = "meta.json";
const char kIncomingPrefix[] = ".incoming-";

std::string hex(const std::uint8_t* data, std::size_t n) {
    static const char digits[] = "0123456789abcdef";
    std::string s;
    for (std::size_t i = 0; i < n; ++i) {
        s += digits[data[i] >> 4];
        s += digits[data[i] & 15];
    }
    return s;
}

using FileDescriptor = platform::UniqueFd;
using platform::writeAll;

// Writes bytes [from, from + n) of the payload to a new file, a piece at a
// time (deciphered on the way when the payload is still enciphered), and
// flushes its data, and the size needed to read it back, to disk. The disk
// gets to work on each stretch as soon as it is written, so the closing flush
// waits only for the last of it. False with errno text in error.
bool writeDurably(const std::string& path, const RequestBody& payload, std::size_t from, std::size_t n,
                  std::string& error) {
    constexpr std::size_t kPiece = 256 * 1024;
    constexpr std::size_t kWriteback = 4 * 1024 * 1024;
    FileDescriptor fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644));
    auto fail = [&](const std::string& what) {
        error = path + ": " + what;
        return false;
    };
    if (fd.get() < 0) return fail(std::strerror(errno));
    RequestBody::Bytes scratch;
    std::size_t written = 0, flushed = 0;
    while (written < n) {
        const std::size_t want = std::min(kPiece, n - written);
        const auto piece = payload.view(from + written, want, scratch);
        if (piece.size() != want) return fail("the job could not be deciphered");
        if (!writeAll(fd.get(), piece.data(), piece.size())) return fail(std::strerror(errno));
        written += want;
        if (written - flushed >= kWriteback || written == n) {
            // Only starts the writing; where the file system has nothing to
            // write back (memory-backed ones) it does nothing.
            ::sync_file_range(fd.get(), off64_t(flushed), off64_t(written - flushed), SYNC_FILE_RANGE_WRITE);
            flushed = written;
        }
    }
    if (::fdatasync(fd.get()) != 0) return fail(std::strerror(errno));
    if (!fd.close()) return fail(std::strerror(errno));
    return true;
}

void syncDirectory(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

std::string metaText(const JobPackage& job, const JobOrigin& origin) {
    using nlohmann::json;
    json meta = {
        {"session", origin.session},
        {"printer", job.printer},
        {"path", job.path},
        {"document", job.document},
        {"user", origin.user},
        {"peer", origin.peer},
        {"received", utcTimeText(origin.receivedAt)},
        {"transport", origin.transport},
        {"block_hex", hex(job.rawBlock.data(), job.rawBlock.size())},
        {"block",
         {{"length", job.block.length},
          {"server_flags", job.block.serverFlags},
          {"paper_width", job.block.paperWidth},
          {"paper_height", job.block.paperHeight},
          {"pages", job.block.pages},
          {"copies", job.block.copies},
          {"paper_size", job.block.paperSize},
          {"color", job.block.color}}},
        {"job_file", kJobFile},
        {"job_bytes", job.jobSize},
    };
    // Names arrive in the client's 8-bit code page; bytes that are not UTF-8
    // are replaced rather than refused.
    return meta.dump(2, ' ', false, json::error_handler_t::replace) + "\n";
}

// The highest number among existing "job-N-..." directories, so a restarted
// server never reuses a name.
std::uint64_t highestJobNumber(const std::string& dir) {
    std::uint64_t highest = 0;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(dir, ec)) {
        const std::string name = entry.path().filename().string();
        unsigned long long n = 0;
        if (std::sscanf(name.c_str(), "job-%llu-", &n) == 1 && n > highest) highest = n;
    }
    return highest;
}

}  // namespace

Spool::Spool(std::string directory) : directory_(std::move(directory)) {
    std::error_code ec;
    fs::create_directories(directory_, ec);
    if (!fs::is_directory(directory_, ec))
        throw std::runtime_error("cannot create the spool directory \"" + directory_ + "\"");
    swept_ = platform::sweepAbandonedDirectories(directory_, kIncomingPrefix);
    next_ = highestJobNumber(directory_) + 1;
}

std::string Spool::store(const JobPackage& job, const RequestBody& package, const JobOrigin& origin,
                         std::string& error) {
    // Built under a temporary name and renamed when complete; removed when
    // it cannot be, and swept at the next start when the server is killed.
    platform::OwnedDirectory building(directory_, kIncomingPrefix);
    if (building.path().empty()) {
        error = directory_ + ": " + std::strerror(errno);
        return "";
    }
    const std::string incoming = building.path();
    const std::string meta = metaText(job, origin);
    std::error_code ec;
    const RequestBody::Bytes metaBytes(meta.begin(), meta.end());
    if (!writeDurably(incoming + "/" + kJobFile, package, job.jobOffset, job.jobSize, error) ||
        !writeDurably(incoming + "/" + kMetaFile, RequestBody(metaBytes), 0, metaBytes.size(), error))
        return "";
    syncDirectory(incoming);
    // Unowned from here on, for the moment it takes to rename it into place.
    if (!building.release()) {
        error = incoming + ": " + std::strerror(errno);
        fs::remove_all(incoming, ec);
        return "";
    }

    std::lock_guard lock(mutex_);
    for (int attempt = 0; attempt < 1000; ++attempt) {
        const std::string name = "job-" + std::to_string(next_++) + "-s" + std::to_string(origin.session);
        const std::string target = directory_ + "/" + name;
        // Never replaces an existing job: a taken name moves on to the next.
        if (::renameat2(AT_FDCWD, incoming.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) != 0) {
            if (errno == EEXIST) continue;
            error = target + ": " + std::strerror(errno);
            break;
        }
        syncDirectory(directory_);
        return name;
    }
    if (error.empty()) error = "no free job name in " + directory_;
    fs::remove_all(incoming, ec);
    return "";
}

}  // namespace zentserver
