// The client's list of queued jobs, in order of arrival, keyed by base name
// (compared without regard to case). A key is never present twice.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include <zentcore/queuedjob.h>

namespace zentcore {

class JobQueue {
public:
    bool contains(const std::string& key) const { return find(key) != nullptr; }
    TQueuedJob* find(const std::string& key) const;
    // Appends the job under its BaseName unless that key is present; false
    // (and the job destroyed) when it was.
    bool append(std::unique_ptr<TQueuedJob> job);
    // Removes the entry holding this record and destroys the record (which
    // waits for its threads). False when the record is not queued.
    bool remove(const TQueuedJob* job);

    std::size_t size() const { return jobs_.size(); }
    bool empty() const { return jobs_.empty(); }
    TQueuedJob& at(std::size_t i) const { return *jobs_.at(i); }

    // Set by every change of a job or of the list; cleared by whoever redraws.
    bool ListChanged = false;

private:
    std::vector<std::unique_ptr<TQueuedJob>> jobs_;
};

}  // namespace zentcore
