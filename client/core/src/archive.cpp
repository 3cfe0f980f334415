// The archive directory as the archive window and zentctl see it.
#include <zentcore/archive.h>

#include <zentcore/jobfiles.h>
#include <zentcore/joblist.h>

#include <zcodec/jobfiles.h>
#include <zcodec/utilities.h>
#include <zplatform/fd.h>
#include <zplatform/system.h>

#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace zentcore {

namespace {

const char* const kCaptions[kArchiveColumns] = {"Filename", "Document",    "Submited",   "Size",
                                                "Pages",    "Copies",      "Paper Size", "Orientation",
                                                "Session Id", "Printer",   "Server",     "Confirmed"};

// The description files of dir, by name.
std::vector<std::string> descriptionNames(const std::string& dir) {
    std::vector<std::string> names;
    DIR* d = ::opendir(dir.c_str());
    if (!d) return names;
    while (const dirent* entry = ::readdir(d)) {
        const std::string name = entry->d_name;
        if (name.size() > 4 && name.compare(name.size() - 4, 4, ".txt") == 0) names.push_back(name);
    }
    ::closedir(d);
    std::sort(names.begin(), names.end());
    return names;
}

// Leading decimal digits of a piece; 0 when it starts with none.
int leadingNumber(const std::string& piece) {
    int n = 0;
    for (std::size_t i = 0; i < piece.size() && i < 9 && piece[i] >= '0' && piece[i] <= '9'; ++i)
        n = n * 10 + (piece[i] - '0');
    return n;
}

template <typename Key>
void sortBy(ArchiveRecords& records, Key key) {
    std::stable_sort(records.begin(), records.end(),
                     [&](const auto& a, const auto& b) { return key(*a) < key(*b); });
}

}  // namespace

const char* ArchiveColumnCaption(int column) {
    return column >= 0 && column < kArchiveColumns ? kCaptions[column] : "";
}

ArchiveRecords ReadArchive(const std::string& dir) {
    ArchiveRecords records;
    for (const std::string& name : descriptionNames(dir)) {
        auto job = std::make_unique<TQueuedJob>();
        job->BaseName = name.substr(0, name.rfind('.'));
        const int fd = platform::openRegularForReading(encdec::JobFiles(dir, job->BaseName).txt());
        if (fd < 0) continue;
        if (ReadJobDescription(*job, dir, fd, false)) records.push_back(std::move(job));
    }
    return records;
}

std::string ArchiveDateKey(std::string_view text) {
    encdec::StringList pieces;
    encdec::AnsiSplit2(std::string(text), "/: ", pieces, 0);
    int fields[6] = {};
    for (std::size_t i = 0; i < 6 && i < pieces.size(); ++i) fields[i] = leadingNumber(pieces[i]);
    char key[64];
    std::snprintf(key, sizeof key, "%04d%02d%02d%02d%02d%02d", fields[0], fields[1], fields[2], fields[3], fields[4],
                  fields[5]);
    return key;
}

void SortArchive(ArchiveRecords& records, int column) {
    using J = const TQueuedJob&;
    switch (column) {
    case 0: return sortBy(records, [](J j) { return j.BaseName; });
    case 1: return sortBy(records, [](J j) { return j.DocName; });
    case 2: return sortBy(records, [](J j) { return ArchiveDateKey(j.Submited); });
    case 3: return sortBy(records, [](J j) { return j.DataSize; });
    case 4: return sortBy(records, [](J j) { return j.Pages; });
    case 5: return sortBy(records, [](J j) { return j.Copies; });
    case 6: return sortBy(records, [](J j) { return j.Papersize; });
    case 7: return sortBy(records, [](J j) { return j.Orientation; });
    case 8: return sortBy(records, [](J j) { return j.SessionId; });
    case 9: return sortBy(records, [](J j) { return j.Printer; });
    case 10: return sortBy(records, [](J j) { return j.Server; });
    case 11: return sortBy(records, [](J j) { return ArchiveDateKey(j.OkDate); });
    default: return;
    }
}

std::vector<std::string> ArchiveRowTexts(const TQueuedJob& j) {
    std::vector<std::string> texts = JobDescriptionColumns(j);
    texts.insert(texts.begin(), j.BaseName);
    texts.push_back(j.OkDate);
    return texts;
}

ResubmitResult ResubmitArchivedJob(const std::string& baseName, const std::string& archiveDir,
                                   const std::string& workDir) {
    using Outcome = ResubmitResult::Outcome;
    const encdec::JobFiles archived(archiveDir, baseName);
    platform::UniqueFd data(platform::openRegularForReading(archived.ztp()));
    if (!data.ok()) return {Outcome::NoData, archived.ztp()};
    TQueuedJob job;
    job.BaseName = baseName;
    if (!ReadJobDescription(job, archiveDir, -1, false)) return {Outcome::Failed, {}};

    auto created = encdec::JobFiles::createNew(workDir);
    if (!created) return {errno == EEXIST ? Outcome::NoFreeNumber : Outcome::Failed, {}};
    const encdec::JobFiles& files = created->files;
    if (!platform::copyAll(data.get(), created->data.get()) || ::fsync(created->data.get()) != 0 ||
        !created->data.close()) {
        ::unlink(files.ztp().c_str());
        return {Outcome::Failed, {}};
    }
    // The description comes last: the scan takes a job in by it.
    job.BaseName = files.baseName();
    job.SessionId = 0;
    job.OkDate.clear();
    WriteJobDescription(job, workDir);
    if (!platform::fileExists(files.txt())) {
        ::unlink(files.ztp().c_str());
        return {Outcome::Failed, {}};
    }
    return {Outcome::Queued, files.baseName()};
}

void DeleteArchivedJob(const std::string& baseName, const std::string& archiveDir) {
    const encdec::JobFiles files(archiveDir, baseName);
    ::unlink(files.txt().c_str());
    ::unlink(files.ztp().c_str());
}

}  // namespace zentcore
