// The two phases of a run: listing and comparing, then download and replace.
#include <zsync/sync.h>

#include "ftp_session.h"
#include "internet_errors.h"
#include "local_files.h"

#include <zplatform/fd.h>
#include <zplatform/runonce.h>
#include <zplatform/system.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>

namespace zsync {

std::string formatFileTime(std::int64_t seconds) {
    if (seconds == 0) return "Not existing";
    const time_t t = time_t(seconds);
    std::tm tm{};
    ::gmtime_r(&t, &tm);
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,
                  tm.tm_hour, tm.tm_min, tm.tm_sec);
    return text;
}

bool loadForSync(const std::string& iniPath, SyncObserver& observer, FtpConfig& config) {
    config = readFtpConfig(iniPath);
    observer.showServer(config.server);
    if (config.server.empty()) {
        observer.message("Server not specified.");
        return false;
    }
    if (config.roots.empty()) {
        observer.message("No data to match.");
        return false;
    }
    return true;
}

namespace {

std::string joinRemote(const std::string& dir, const std::string& name) {
    return dir.empty() || dir.back() == '/' ? dir + name : dir + "/" + name;
}

// A name from the server must stay one name inside the local root.
bool unsafeName(const std::string& name) {
    return name.find_first_of("/\\") != std::string::npos || name.find('\0') != std::string::npos;
}

}  // namespace

class Synchronizer::Run {
public:
    Run(const FtpConfig& config, SyncObserver& observer, const std::atomic<bool>& stop)
        : config_(config), observer_(observer), stop_(stop),
          session_(config.server, config.user, config.password, stop) {}

    SyncOutcome go() {
        observer_.setWorking(true, false);
        observer_.setLabel("Connecting...");
        observer_.setText("Server: " + config_.server);
        FtpFailure failure;
        const bool connected = session_.connect(failure);
        observer_.setWorking(true, true);
        if (!connected) {
            internetError("InternetConnect", failure);
            observer_.setLabel("Connection failed");
            observer_.setWorking(false, true);
            return std::move(outcome_);
        }
        outcome_.connected = true;
        observer_.setLabel("Retrieving list of files...");
        for (const auto& root : config_.roots) {
            if (stop_.load()) break;
            listRoot(root);
        }
        download();
        if (outcome_.restartNeeded) observer_.message(std::string(kRestartMessage));
        outcome_.stopped = stop_.load();
        if (!outcome_.stopped) {
            observer_.setLabel("Done. " + label_);
            observer_.setText("");
        }
        observer_.setWorking(false, true);
        return std::move(outcome_);
    }

private:
    void internetError(const std::string& call, const FtpFailure& failure) {
        ++outcome_.failures;
        observer_.internetError(call, internetErrorText(failure));
    }

    void listRoot(const SyncRoot& root) {
        std::vector<RemoteEntry> entries;
        FtpFailure failure;
        if (!session_.list(root.remote, entries, failure)) {
            internetError(FtpSession::cannotEnter(failure) ? "FtpSetCurrentDirectory" : "FtpFindFirstFile", failure);
            return;
        }
        observer_.setText("Current dir.=" + root.remote);
        visit(root.remote, root.local, entries);
    }

    void listDirectory(const std::string& remote, const std::string& local) {
        std::vector<RemoteEntry> entries;
        FtpFailure failure;
        if (!session_.list(remote, entries, failure)) {
            internetError(FtpSession::cannotEnter(failure) ? "FtpSetCurrentDirectory" : "FtpFindFirstFile", failure);
            return;
        }
        visit(remote, local, entries);
    }

    void visit(const std::string& remoteDir, const std::string& localDir, const std::vector<RemoteEntry>& entries) {
        std::vector<std::pair<std::string, std::string>> descend;
        for (const auto& entry : entries) {
            if (stop_.load()) return;
            if (entry.name.empty() || entry.name == "." || entry.name == "..") continue;
            const std::string remote = joinRemote(remoteDir, entry.name);
            observer_.setText(remote);
            if (unsafeName(entry.name)) {
                skipRow(remote, entry);
                continue;
            }
            const std::string local = platform::joinPath(localDir, entry.name);
            if (entry.directory) {
                struct stat st;
                if (::stat(local.c_str(), &st) == 0) {
                    if (S_ISDIR(st.st_mode)) descend.emplace_back(remote, local);
                } else if (::mkdir(local.c_str(), 0777) == 0) {
                    descend.emplace_back(remote, local);
                }
                continue;
            }
            fileRow(remote, local, entry);
        }
        for (const auto& [remote, local] : descend) {
            if (stop_.load()) return;
            listDirectory(remote, local);
        }
    }

    void skipRow(const std::string& remote, const RemoteEntry& entry) {
        observer_.addRow(remote);
        observer_.addColumn(formatFileTime(entry.modified));
        observer_.addColumn("");
        observer_.addColumn("");
        observer_.addColumn(std::string(kUnsafeNameStatus));
        outcome_.rows.push_back({remote, entry.modified, {}, 0, entry.size, false, std::string(kUnsafeNameStatus)});
    }

    void fileRow(const std::string& remote, const std::string& local, const RemoteEntry& entry) {
        SyncRow row{remote, entry.modified, local, localFileTime(local), entry.size, false, {}};
        row.toBeUpdated = row.localTime < row.remoteTime;
        row.status = row.toBeUpdated ? "To be updated" : "Up to date";
        observer_.addRow(remote);
        observer_.addColumn(formatFileTime(row.remoteTime));
        observer_.addColumn(local);
        observer_.addColumn(formatFileTime(row.localTime));
        observer_.addColumn(row.status);
        observer_.setIcon(row.toBeUpdated ? RowIcon::ToBeUpdated : RowIcon::UpToDate);
        if (row.toBeUpdated) {
            observer_.addColumn(std::to_string(row.size));
            ++outcome_.toBeUpdated;
            outcome_.byteSum += std::uint32_t(row.size);
        }
        outcome_.rows.push_back(std::move(row));
    }

    void setStatus(SyncRow& row, std::string status) {
        row.status = std::move(status);
        observer_.setStatus(row.status);
    }

    void download() {
        const std::string tempDir = platform::tempDirectory();
        if (!platform::forceDirectories(tempDir)) {
            observer_.message("GetTempPath() failed.");
            return;
        }
        label_ = "Synchronizing " + std::to_string(outcome_.toBeUpdated) + " files, " +
                 std::to_string(outcome_.byteSum) + " bytes";
        observer_.setLabel(label_);
        std::uint64_t phaseBytes = 0;
        for (auto& row : outcome_.rows) {
            if (stop_.load()) return;
            if (!row.toBeUpdated) continue;
            const std::string temp = platform::createUniqueTempFile(tempDir, "ima");
            if (temp.empty()) {
                observer_.message("GetTempFileName() failed.");
                continue;
            }
            platform::UniqueFd fd(::open(temp.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC | O_NOFOLLOW));
            if (!fd.ok()) {
                observer_.message("CreateFile(TEMP) failed.");
                return;
            }
            observer_.selectRow(std::size_t(&row - outcome_.rows.data()));
            if (!fetch(row, fd.get(), phaseBytes)) continue;
            if (!fd.close()) {
                observer_.message("CreateFile(TEMP) failed.");
                continue;
            }
            install(row, temp);
        }
    }

    bool fetch(SyncRow& row, int fd, std::uint64_t& phaseBytes) {
        std::uint64_t fileBytes = 0;
        FtpFailure failure;
        bool gotData = false;
        bool shownUpdating = false;
        const auto showUpdating = [&] {
            if (shownUpdating) return;
            shownUpdating = true;
            setStatus(row, "Updating...");
            observer_.setIcon(RowIcon::Updating);
        };
        const bool ok = session_.download(row.remotePath, fd, [&](std::size_t n) {
            showUpdating();
            fileBytes += n;
            phaseBytes += n;
            observer_.setText("Got " + std::to_string(outcome_.replaced) + " files, " + std::to_string(phaseBytes) +
                              " bytes.");
            setStatus(row, "Got " + std::to_string(fileBytes) + " bytes...");
            return !stop_.load();
        }, failure, gotData);
        if (!ok) {
            if (!stop_.load()) internetError(gotData ? "InternetReadFile" : "FtpOpenFile", failure);
            return false;
        }
        showUpdating();
        return true;
    }

    void install(SyncRow& row, const std::string& temp) {
        setStatus(row, "Updated");
        observer_.setIcon(RowIcon::Updated);
        if (lockedByAnother(row.localPath)) {
            schedule(row, temp);
            return;
        }
        const bool running = inUseByRunningProgram(row.localPath);
        if (!platform::installFileCopy(temp, row.localPath, row.remoteTime)) {
            const int error = errno;
            ++outcome_.failures;
            observer_.message("Copy for " + row.localPath + " failed. Error " + std::to_string(error));
            ::unlink(temp.c_str());
            return;
        }
        ::unlink(temp.c_str());
        ++outcome_.replaced;
        if (running) outcome_.restartNeeded = true;
    }

    // The file goes in place at the client's next start, with the server's
    // time. It waits beside the file it replaces: the temporary directory
    // may be emptied by the very restart the user is asked for.
    void schedule(SyncRow& row, const std::string& temp) {
        std::string waiting = stageBeside(row.localPath, temp, row.remoteTime);
        if (waiting.empty()) {
            waiting = temp;
            const struct timespec times[2] = {{0, UTIME_OMIT}, {time_t(row.remoteTime), 0}};
            ::utimensat(AT_FDCWD, temp.c_str(), times, 0);
        }
        platform::ScheduleFailure why{};
        if (platform::scheduleCopy(kRunOncePrefix, {waiting, row.localPath}, why)) {
            outcome_.restartNeeded = true;
            ++outcome_.replaced;
            return;
        }
        ++outcome_.failures;
        observer_.message(why == platform::ScheduleFailure::OpenKey ? "Failed to open registry RunOnce key."
                                                                    : "Failed to update registry RunOnce key.");
        observer_.message("Failed to add registry RunOnce subkey.");
        ::unlink(waiting.c_str());
    }

    // A copy of temp as ".<name>.update-XXXXXX" in local's directory (temp is
    // then removed); empty when it cannot be made there.
    static std::string stageBeside(const std::string& local, const std::string& temp, std::int64_t time) {
        const auto slash = local.find_last_of('/');
        const std::string dir = slash == std::string::npos ? "." : local.substr(0, slash);
        const std::string name = slash == std::string::npos ? local : local.substr(slash + 1);
        const std::string staged = platform::createUniqueTempFile(dir, "." + name + ".update-");
        if (staged.empty()) return {};
        if (!platform::installFileCopy(temp, staged, time)) {
            ::unlink(staged.c_str());
            return {};
        }
        ::unlink(temp.c_str());
        return staged;
    }

    const FtpConfig& config_;
    SyncObserver& observer_;
    const std::atomic<bool>& stop_;
    FtpSession session_;
    SyncOutcome outcome_;
    std::string label_;
};

Synchronizer::Synchronizer(FtpConfig config, SyncObserver& observer)
    : config_(std::move(config)), observer_(observer) {}
Synchronizer::~Synchronizer() = default;

SyncOutcome Synchronizer::run() { return Run(config_, observer_, stop_).go(); }

}  // namespace zsync
