// The ordered list of queued jobs, keyed by base name without regard to case.
#include <zentcore/jobqueue.h>

#include <zplatform/text.h>

#include <algorithm>
#include <utility>

namespace zentcore {

TQueuedJob* JobQueue::find(const std::string& key) const {
    for (const auto& job : jobs_)
        if (platform::equalsNoCase(job->BaseName, key)) return job.get();
    return nullptr;
}

bool JobQueue::append(std::unique_ptr<TQueuedJob> job) {
    if (!job || contains(job->BaseName)) return false;
    jobs_.push_back(std::move(job));
    ListChanged = true;
    return true;
}

bool JobQueue::remove(const TQueuedJob* job) {
    const auto it = std::find_if(jobs_.begin(), jobs_.end(), [job](const auto& j) { return j.get() == job; });
    if (it == jobs_.end()) return false;
    // Out of the list first, so the queue is whole while the record waits for
    // its threads.
    std::unique_ptr<TQueuedJob> gone = std::move(*it);
    jobs_.erase(it);
    ListChanged = true;
    gone.reset();
    return true;
}

}  // namespace zentcore
