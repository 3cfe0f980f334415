// The synchronisation: lists the configured remote trees, compares every
// remote file's time with the local file's, downloads the newer ones and puts
// them in place. It reports everything through a SyncObserver, from the
// thread that runs it; it never touches a window.
#pragma once

#include <zsync/config.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace zsync {

// Icons of the rows, by index.
enum class RowIcon { UpToDate = 0, ToBeUpdated = 1, Updating = 2, Updated = 3 };

// Captions and messages.
inline constexpr std::string_view kMessageCaption = "Upkeep";
inline constexpr std::string_view kRestartMessage = "You need to restart your computer for some changes to take effect.";
inline constexpr std::string_view kUnsafeNameStatus = "Skipped: unsafe name";
inline constexpr std::string_view kRunOncePrefix = "Ftp";

// Every report is ignored unless an observer takes it.
class SyncObserver {
public:
    virtual ~SyncObserver() = default;
    // The server of the configuration, once read (the details' status bar).
    virtual void showServer(const std::string& /*server*/) {}
    virtual void setLabel(const std::string& /*text*/) {}
    virtual void setText(const std::string& /*text*/) {}
    // The worker has begun (first button "Stop", enabled or not) or ended
    // (first button "Close").
    virtual void setWorking(bool /*working*/, bool /*stopEnabled*/) {}
    // A new current row with the remote path as caption; columns are added
    // in order after it.
    virtual void addRow(const std::string& /*remotePath*/) {}
    virtual void addColumn(const std::string& /*text*/) {}
    // Makes an earlier row current again (rows count from 0 in added order).
    virtual void selectRow(std::size_t /*index*/) {}
    virtual void setStatus(const std::string& /*text*/) {}
    virtual void setIcon(RowIcon /*icon*/) {}
    // An "Upkeep" message box.
    virtual void message(const std::string& /*text*/) {}
    // The internet error box: caption is the failing call.
    virtual void internetError(const std::string& /*caption*/, const std::string& /*text*/) {}
};

struct SyncRow {
    std::string remotePath;
    std::int64_t remoteTime = 0;   // seconds since 1970, UTC
    std::string localPath;
    std::int64_t localTime = 0;    // 0: not existing
    std::uint64_t size = 0;
    bool toBeUpdated = false;
    std::string status;
};

struct SyncOutcome {
    bool connected = false;
    bool stopped = false;
    bool restartNeeded = false;
    int toBeUpdated = 0;
    std::uint32_t byteSum = 0;   // low 32 bits, as shown
    int replaced = 0;
    int failures = 0;            // failed listings, downloads and replacements
    std::vector<SyncRow> rows;
};

// "%04d-%02d-%02d %02d:%02d:%02d" of the time taken as UTC; "Not existing" for 0.
std::string formatFileTime(std::int64_t seconds);

// Reads the configuration and says what keeps a run from starting ("Server
// not specified.", "No data to match.") through the observer; false then.
bool loadForSync(const std::string& iniPath, SyncObserver& observer, FtpConfig& config);

class Synchronizer {
public:
    Synchronizer(FtpConfig config, SyncObserver& observer);
    ~Synchronizer();
    Synchronizer(const Synchronizer&) = delete;
    Synchronizer& operator=(const Synchronizer&) = delete;

    // Both phases, on the calling thread; one FTP connection for the run.
    SyncOutcome run();
    // Safe from any thread: the run ends at the next root, entry, row or chunk.
    void requestStop() { stop_.store(true); }
    bool stopRequested() const { return stop_.load(); }

private:
    class Run;
    FtpConfig config_;
    SyncObserver& observer_;
    std::atomic<bool> stop_{false};
};

}  // namespace zsync
