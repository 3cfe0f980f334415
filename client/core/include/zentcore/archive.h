// The user's archive of delivered jobs (UserSaveDir): reading it into
// records, their order by any column of the archive list, putting a job back
// into the queue as a new one, and deleting archived jobs.
#pragma once

#include <zentcore/queuedjob.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zentcore {

using ArchiveRecords = std::vector<std::unique_ptr<TQueuedJob>>;

inline constexpr int kArchiveColumns = 12;
// "Filename", "Document", "Submited", ... "Confirmed".
const char* ArchiveColumnCaption(int column);
inline constexpr int kArchiveDefaultSortColumn = 2;

// One record per description (".txt", a regular file) of dir; the base name
// is the file name up to its last "." and never comes from the file's text.
// DataSize is the ".ztp" file's size, 0 when it is missing. A missing or
// empty dir gives no records.
ArchiveRecords ReadArchive(const std::string& dir);

// The sort key of a date as the hand-off (2003/3/4 9:5:3.7) or the delivery
// (2003/03/04 09:05:03) writes it: "20030304090503" for both.
std::string ArchiveDateKey(std::string_view text);

// Ascending by the column's key (numbers as numbers, dates by their key).
void SortArchive(ArchiveRecords& records, int column);

// The texts a record shows in the archive list's twelve columns.
std::vector<std::string> ArchiveRowTexts(const TQueuedJob& job);

struct ResubmitResult {
    enum class Outcome { Queued, NoData, NoFreeNumber, Failed } outcome = Outcome::Failed;
    std::string text;   // NoData: the missing data file; Queued: the new base name
};

// Puts an archived job back into workDir as a new job under the smallest
// free number (taken exclusively, as the hand-off does), its description
// with SessionId 0 and no OkDate; the archived pair stays.
ResubmitResult ResubmitArchivedJob(const std::string& baseName, const std::string& archiveDir,
                                   const std::string& workDir);

// The archived job's description, then its data; missing files are fine.
void DeleteArchivedJob(const std::string& baseName, const std::string& archiveDir);

}  // namespace zentcore
