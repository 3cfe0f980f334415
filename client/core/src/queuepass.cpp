// The once-a-second pass: every queued job is looked at once and moved on by
// the first rule that applies to it.
#include <zentcore/queuepass.h>

#include <ctime>

namespace zentcore {

std::int64_t SystemClock::now() const { return static_cast<std::int64_t>(std::time(nullptr)); }

QueuePass::QueuePass(JobQueue& queue, QueueWizard& wizard, const Clock& clock, const ClientSettings& settings,
                     platform::WindowHandle owner)
    : queue_(queue), wizard_(wizard), clock_(clock), settings_(settings), owner_(owner) {}

void QueuePass::run() {
    if (TimerBusy) return;
    TimerBusy = true;
    const std::int64_t now = clock_.now();
    // By index, not by iterator: a completed job leaves the list, and the one
    // that moves up into its place must still be examined in this pass.
    for (std::size_t i = 0; i < queue_.size();) {
        bool removed = false;
        try {
            removed = examine(queue_.at(i), now);
        } catch (...) {
            // The timer must keep running whatever one job's files do; the
            // job is simply looked at again at the next pass.
        }
        if (!removed) ++i;
    }
    TimerBusy = false;
}

bool QueuePass::examine(TQueuedJob& job, std::int64_t now) {
    TQueuedJob* const wizardJob = wizard_.currentJob();
    if (&job == wizardJob) return false;
    if (job.NextAttempt > now) return false;
    if (job.SessionId == 0) {
        // One job in the wizard at a time: the first due one in queue order.
        if (!wizardJob && !wizard_.isVisible()) {
            wizard_.takeJob(job);
            queue_.ListChanged = true;
        }
        return false;
    }
    if (job.Busy) return collectResult(job) && settle(job, now);
    startTransmission(job, now);
    return false;
}

void QueuePass::finishTransmissions() {
    if (TimerBusy) return;
    TimerBusy = true;
    const TQueuedJob* const wizardJob = wizard_.currentJob();
    for (std::size_t i = 0; i < queue_.size();) {
        TQueuedJob& job = queue_.at(i);
        bool removed = false;
        try {
            if (&job != wizardJob && job.Busy) {
                if (job.SendThread) job.SendThread->waitFor();
                if (collectResult(job)) removed = settle(job, clock_.now());
            }
        } catch (...) {
            // Its files stay; the next start reads the job again.
        }
        if (!removed) ++i;
    }
    TimerBusy = false;
}

}  // namespace zentcore
