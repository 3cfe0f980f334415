// The wizard as the queue sees it, for a queue that exists before the
// wizard's window does: until a wizard is set it takes no job, so jobs
// without a session simply wait in the list.
#pragma once

#include <zentcore/queuepass.h>

namespace zentclient {

class WizardSlot : public zentcore::QueueWizard {
public:
    void set(zentcore::QueueWizard* wizard) { wizard_ = wizard; }
    zentcore::TQueuedJob* currentJob() const override { return wizard_ ? wizard_->currentJob() : nullptr; }
    bool isVisible() const override { return wizard_ && wizard_->isVisible(); }
    void takeJob(zentcore::TQueuedJob& job) override {
        if (wizard_) wizard_->takeJob(job);
    }

private:
    zentcore::QueueWizard* wizard_ = nullptr;
};

}  // namespace zentclient
