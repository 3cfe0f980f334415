// How jobs enter the queue: the scan of the working directory and the
// hand-off's notification.
#include <zentcore/jobscan.h>

#include <zentcore/jobfiles.h>
#include <zentcore/joblistener.h>

#include <zcodec/utilities.h>

#include "jobfiles_open.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <string_view>
#include <vector>

namespace zentcore {

namespace {

bool isWizardJob(const TQueuedJob* wizardJob, const std::string& key) {
    return wizardJob && wizardJob->BaseName == key;
}

// Takes the job in from its open description file (closed here) unless it
// is queued already.
void admit(JobQueue& queue, const std::string& workDir, const std::string& key, int fd, bool startCompression) {
    auto job = std::make_unique<TQueuedJob>();
    job->BaseName = key;
    if (ReadJobDescription(*job, workDir, fd, startCompression) && !queue.contains(key)) queue.append(std::move(job));
}

// Names in the order a person reads them: runs of digits compare as numbers,
// so ztp_2 comes before ztp_10.
bool naturalLess(const std::string& a, const std::string& b) {
    std::size_t i = 0, j = 0;
    auto digit = [](char c) { return c >= '0' && c <= '9'; };
    while (i < a.size() && j < b.size()) {
        if (digit(a[i]) && digit(b[j])) {
            std::size_t ei = i, ej = j;
            while (ei < a.size() && a[ei] == '0') ++ei;
            while (ej < b.size() && b[ej] == '0') ++ej;
            std::size_t ni = ei, nj = ej;
            while (ni < a.size() && digit(a[ni])) ++ni;
            while (nj < b.size() && digit(b[nj])) ++nj;
            if (ni - ei != nj - ej) return ni - ei < nj - ej;
            const int c = a.compare(ei, ni - ei, b, ej, nj - ej);
            if (c != 0) return c < 0;
            i = ni;
            j = nj;
            continue;
        }
        if (a[i] != b[j]) return a[i] < b[j];
        ++i;
        ++j;
    }
    return a.size() - i < b.size() - j;
}

// The base names of the descriptions in workDir, in number order.
std::vector<std::string> describedJobs(const std::string& workDir) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(workDir.c_str());
    if (!dir) return names;
    while (const dirent* entry = ::readdir(dir))
        if (auto base = encdec::JobFiles::baseNameOfDescription(entry->d_name)) names.push_back(std::move(*base));
    ::closedir(dir);
    std::sort(names.begin(), names.end(), naturalLess);
    return names;
}

}  // namespace

void RescanWorkDir(JobQueue& queue, const std::string& workDir, const TQueuedJob* wizardJob, bool startCompression) {
    for (const std::string& key : describedJobs(workDir)) {
        if (queue.contains(key) || isWizardJob(wizardJob, key)) continue;
        // Nothing is ever written in place (the hand-off and the rewrite both
        // rename a complete file over the name), so an open never sees half a file.
        const int fd = detail::OpenDescription(encdec::JobFiles(workDir, key).txt());
        if (fd < 0) continue;   // gone or unreadable: a later scan tries again
        admit(queue, workDir, key, fd, startCompression);
    }
    queue.ListChanged = true;
}

bool AcceptNotifiedJob(JobQueue& queue, const std::string& workDir, const std::string& dataFileName,
                       const TQueuedJob* wizardJob) {
    if (!JobListener::acceptableName(dataFileName)) {
        // Not a name the hand-off sends: taking it would reach outside the
        // working directory or at files that are no job's.
        errno = EINVAL;
        encdec::GetErrorMessage(0, "GlobalGetAtomName FAILED", -1);
        return false;
    }
    const encdec::JobFiles files(workDir, encdec::JobFiles::numberOfDataFile(dataFileName));
    const std::string& key = files.baseName();
    if (queue.contains(key) || isWizardJob(wizardJob, key)) return true;   // the scan was first
    const int fd = detail::OpenDescription(files.txt());
    if (fd >= 0) admit(queue, workDir, key, fd, true);
    queue.ListChanged = true;
    return true;
}

}  // namespace zentcore
