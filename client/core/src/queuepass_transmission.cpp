// One transmission of a scheduled job: starting it, collecting its outcome,
// and completing or rescheduling the job.
#include <zentcore/jobfiles.h>
#include <zentcore/joblist.h>
#include <zentcore/jobnews.h>
#include <zentcore/queuepass.h>
#include <zentcore/transmission.h>

#include <algorithm>
#include <cstdio>
#include <ctime>

namespace zentcore {

namespace {

// A transmission that did not deliver the job is tried again this much later.
constexpr std::int64_t kRetryDelaySeconds = 3600;
// A transmission that could not even be started.
constexpr std::int64_t kStartFailureDelaySeconds = 600;

// The moment of delivery as local standard time (no daylight saving).
std::string deliveryDate(std::int64_t now) {
    const auto local = static_cast<std::time_t>(now + LocalStandardOffset());
    std::tm t{};
    gmtime_r(&local, &t);
    char text[80];
    std::snprintf(text, sizeof text, "%04d/%02d/%02d %02d:%02d:%02d", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday,
                  t.tm_hour, t.tm_min, t.tm_sec);
    return text;
}

}  // namespace

std::string QueuePass::transmissionText(const TQueuedJob& job) const {
    return TransmissionText(job, settings_.FirstTempDir);
}

void QueuePass::startTransmission(TQueuedJob& job, std::int64_t now) {
    job.Busy = true;
    queue_.ListChanged = true;
    bool started = false;
    try {
        // The ".gz" file is only complete once its compression has ended.
        FinishCompression(job, settings_.FirstTempDir);
        const auto delay = static_cast<std::uint32_t>(std::max<std::int32_t>(settings_.ClientDelay, 0));
        // Clears Finished before the thread exists, so only this attempt's own
        // result is ever collected.
        started = StartTransmission(job, transmissionText(job), delay, owner_);
    } catch (...) {
    }
    if (!started) {
        job.NextAttempt = now + kStartFailureDelaySeconds;
        job.Busy = false;
        job.WaitReason = "its transmission could not be started";
    }
}

bool QueuePass::collectResult(TQueuedJob& job) {
    // Already collected, or the wizard's own transmission left its outcome.
    if (job.Finished) return true;
    if (!job.SendThread || !job.SendThread->Finished.load()) return false;
    CollectTransmission(job);
    job.Finished = true;
    return true;
}

bool QueuePass::settle(TQueuedJob& job, std::int64_t now) {
    queue_.ListChanged = true;
    if (!Delivered(job)) {
        job.NextAttempt = now + kRetryDelaySeconds;
        job.Busy = false;
        job.WaitReason = FailureReason(job.Result, job.SessionId);
        if (onNews) onNews(NewsOf(JobNews::Kind::Rescheduled, job));
        return false;
    }
    job.WaitReason.clear();
    if (onNews) onNews(NewsOf(JobNews::Kind::Delivered, job));
    job.OkDate = deliveryDate(now);
    const std::string& workDir = settings_.FirstTempDir;
    WriteJobDescription(job, workDir);
    if (settings_.ArchiveDocs) ArchiveJobFiles(job, workDir, settings_.UserSaveDir);
    DeleteJobFiles(job, workDir);
    queue_.remove(&job);
    return true;
}

}  // namespace zentcore
