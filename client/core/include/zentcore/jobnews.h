// What the user is told about a job without looking at the list: it was
// delivered, its transmission failed and it waits for the next attempt, or it
// waits for the user's decision. The words of the reason a job waits.
#pragma once

#include <zcodec/commheader.h>

#include <cstdint>
#include <functional>
#include <string>

namespace zentcore {

struct TQueuedJob;

struct JobNews {
    enum class Kind { Delivered, Rescheduled, AwaitsDecision } kind = Kind::Delivered;
    std::string document;
    std::string address;        // printer@server
    std::int32_t jobId = 0;     // the session the server knows the job by
    std::string reason;         // Rescheduled: why
    std::int64_t nextAttempt = 0;   // Rescheduled: seconds since 1970 (UTC)
};

using JobNewsSink = std::function<void(const JobNews&)>;

JobNews NewsOf(JobNews::Kind kind, const TQueuedJob& job);

// The balloon's title and text, e.g. "Job delivered" and
// "\"Quarterly report\" delivered to laser@print.example.com, job id 1002".
// utcOffset: seconds the local time is ahead of UTC, for the next attempt.
std::string NewsTitle(const JobNews& news);
std::string NewsText(const JobNews& news, std::int64_t utcOffset);

// Why a transmission did not deliver its job, from its result.
std::string FailureReason(const encdec::TCommResult& result, std::int32_t session);

}  // namespace zentcore
