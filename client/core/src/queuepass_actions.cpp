// The File menu's actions on the selected job: send now, send later, never.
#include <zentcore/jobfiles.h>
#include <zentcore/queuepass.h>

namespace zentcore {

namespace {

// "Send later" on a due job gives it ten minutes; on a waiting job, an hour more.
constexpr std::int64_t kFirstPostponeSeconds = 600;
constexpr std::int64_t kFurtherPostponeSeconds = 3600;

}  // namespace

TQueuedJob* QueuePass::selectable(TQueuedJob* selected) const {
    if (!selected) return nullptr;
    // The selection may be older than the last pass, which can have removed
    // its job: compare addresses before reading through the pointer.
    bool queued = false;
    for (std::size_t i = 0; i < queue_.size() && !queued; ++i) queued = &queue_.at(i) == selected;
    if (!queued || selected->Busy || selected == wizard_.currentJob()) return nullptr;
    return selected;
}

void QueuePass::sendNow(TQueuedJob* selected) {
    TQueuedJob* job = selectable(selected);
    if (!job) return;
    job->NextAttempt = 0;
    queue_.ListChanged = true;
}

void QueuePass::sendLater(TQueuedJob* selected) {
    TQueuedJob* job = selectable(selected);
    if (!job) return;
    const std::int64_t now = clock_.now();
    job->NextAttempt = job->NextAttempt > now ? job->NextAttempt + kFurtherPostponeSeconds : now + kFirstPostponeSeconds;
    queue_.ListChanged = true;
}

void QueuePass::neverSend(TQueuedJob* selected) {
    TQueuedJob* job = selectable(selected);
    if (!job) return;
    job->Busy = true;   // no pass touches it meanwhile
    // Stopping the compression (its destructor asks it to end and waits) keeps
    // it from writing a ".gz" file after the files are gone.
    job->CompressThread.reset();
    DeleteJobFiles(*job, settings_.FirstTempDir);
    queue_.remove(job);
}

}  // namespace zentcore
