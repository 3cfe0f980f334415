// The submission wizard as the queue sees it, until the wizard's window
// exists: it never takes a job, so jobs without a session wait in the list as
// "ASAP" (or at their time) and the user can still send them later or never.
#pragma once

#include <zentcore/queuepass.h>

namespace zentclient {

class NoWizard : public zentcore::QueueWizard {
public:
    zentcore::TQueuedJob* currentJob() const override { return nullptr; }
    bool isVisible() const override { return false; }
    void takeJob(zentcore::TQueuedJob&) override {}
};

}  // namespace zentclient
