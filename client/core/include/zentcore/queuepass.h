// Scheduled sending: the once-a-second pass over the queue and the user's
// actions on one job. The wizard and the clock sit behind small interfaces so
// that the window only wires them up and tests drive them directly.
#pragma once

#include <cstdint>
#include <string>

#include <zentcore/jobnews.h>
#include <zentcore/jobqueue.h>
#include <zentcore/settings.h>
#include <zplatform/messaging.h>

namespace zentcore {

// The submission wizard as the queue sees it.
class QueueWizard {
public:
    virtual ~QueueWizard() = default;
    virtual TQueuedJob* currentJob() const = 0;
    virtual bool isVisible() const = 0;
    // Makes job the wizard's job and brings the wizard up (on top, focused).
    virtual void takeJob(TQueuedJob& job) = 0;
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual std::int64_t now() const = 0;   // seconds since 1970, UTC
};

class SystemClock : public Clock {
public:
    std::int64_t now() const override;
};

class QueuePass {
public:
    // owner: the window told (WM_APP) when a transmission ends; 0 for none.
    QueuePass(JobQueue& queue, QueueWizard& wizard, const Clock& clock, const ClientSettings& settings,
              platform::WindowHandle owner = 0);

    // One pass over the queue; does nothing while a pass runs. Never throws.
    void run();
    bool TimerBusy = false;
    // Told when a transmission delivered its job or failed and was
    // rescheduled (on the thread that runs the pass).
    JobNewsSink onNews;

    // Before the queue is destroyed at exit: waits for every running
    // transmission and completes the delivered ones, so that a job the server
    // has accepted is not sent a second time after the next start. Failed ones
    // keep their files and are read again then.
    void finishTransmissions();

    // The job the user may act on, given the selected one (or null): a queued
    // record that is neither Busy nor the wizard's job.
    TQueuedJob* selectable(TQueuedJob* selected) const;
    // The File menu's actions; each does nothing unless job is selectable.
    void sendNow(TQueuedJob* selected);
    void sendLater(TQueuedJob* selected);
    void neverSend(TQueuedJob* selected);

    // The eight fields of a transmission's argument text, joined by 0x04.
    std::string transmissionText(const TQueuedJob& job) const;

private:
    // Moves one job on; true when it was completed and left the queue.
    bool examine(TQueuedJob& job, std::int64_t now);
    // Whether the Busy job's outcome is in Result (taking it from a finished
    // send thread, which is then deleted).
    bool collectResult(TQueuedJob& job);
    // Delivered (true: removed) or rescheduled an hour ahead.
    bool settle(TQueuedJob& job, std::int64_t now);
    void startTransmission(TQueuedJob& job, std::int64_t now);

    JobQueue& queue_;
    QueueWizard& wizard_;
    const Clock& clock_;
    const ClientSettings& settings_;
    platform::WindowHandle owner_;
};

}  // namespace zentcore
