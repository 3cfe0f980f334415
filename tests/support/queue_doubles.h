// The queue's clock and wizard as a test drives them.
#pragma once

#include <zentcore/queuepass.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace testenv {

// 2023-07-22 04:26:40 UTC: summer, so a daylight-saving slip would show.
inline constexpr std::int64_t kSummerNow = 1690000000;

class ManualClock : public zentcore::Clock {
public:
    explicit ManualClock(std::int64_t t = kSummerNow) : t_(t) {}
    std::int64_t now() const override { return t_; }
    void set(std::int64_t t) { t_ = t; }

private:
    std::int64_t t_;
};

// A wizard that shows every job it is given (or, with takesJobs off, only
// notes that it was offered one) until the test releases it.
class ScriptedWizard : public zentcore::QueueWizard {
public:
    zentcore::TQueuedJob* currentJob() const override { return job; }
    bool isVisible() const override { return visible; }
    void takeJob(zentcore::TQueuedJob& j) override {
        taken.push_back(j.BaseName);
        if (!takesJobs) return;
        job = &j;
        visible = true;
        if (onTake) onTake();
    }
    // The user is done with the job: the wizard lets it go and hides.
    void release() {
        job = nullptr;
        visible = false;
    }

    zentcore::TQueuedJob* job = nullptr;
    bool visible = false;
    bool takesJobs = true;
    std::vector<std::string> taken;   // base names, in the order they came
    std::function<void()> onTake;     // what showing the wizard sets off
};

}  // namespace testenv
