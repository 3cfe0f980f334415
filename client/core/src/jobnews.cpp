#include <zentcore/jobnews.h>

#include <zentcore/queuedjob.h>

#include <cstdio>
#include <ctime>

namespace zentcore {

namespace {

std::string clockTime(std::int64_t utc, std::int64_t offset) {
    const auto local = static_cast<std::time_t>(utc + offset);
    std::tm t{};
    gmtime_r(&local, &t);
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d", t.tm_hour, t.tm_min);
    return text;
}

// An error text worth showing: the answer header's is "0" when there is none.
bool saysSomething(const std::string& text) { return !text.empty() && text != "0"; }

}  // namespace

JobNews NewsOf(JobNews::Kind kind, const TQueuedJob& job) {
    JobNews news;
    news.kind = kind;
    news.document = job.DocName;
    news.address = job.Printer.empty() ? job.Server : job.Printer + "@" + job.Server;
    news.jobId = job.SessionId;
    news.reason = job.WaitReason;
    news.nextAttempt = job.NextAttempt;
    return news;
}

std::string NewsTitle(const JobNews& news) {
    switch (news.kind) {
    case JobNews::Kind::Delivered: return "Job delivered";
    case JobNews::Kind::Rescheduled: return "Job not delivered";
    case JobNews::Kind::AwaitsDecision: return "New job";
    }
    return {};
}

std::string NewsText(const JobNews& news, std::int64_t utcOffset) {
    const std::string doc = "\"" + news.document + "\"";
    switch (news.kind) {
    case JobNews::Kind::Delivered:
        return doc + " delivered to " + news.address + ", job id " + std::to_string(news.jobId);
    case JobNews::Kind::Rescheduled:
        return doc + " was not delivered to " + news.address + ": " + news.reason + ". Next attempt at " +
               clockTime(news.nextAttempt, utcOffset) + ".";
    case JobNews::Kind::AwaitsDecision:
        return doc + " waits for you to choose its printer.";
    }
    return {};
}

std::string FailureReason(const encdec::TCommResult& result, std::int32_t session) {
    switch (result.ErrorCode) {
    case encdec::kErrNoAnswer:
        return "the server did not answer";
    case encdec::kErrNotPrepared:
        return "the job could not be prepared for sending";
    case encdec::kErrBadArguments:
        return "the job's settings could not be sent";
    case 0:
        if (result.ReturnValue != session)
            return saysSomething(result.ErrorMsg) ? "the server did not take the job: " + result.ErrorMsg
                                                  : "the server did not take the job";
        return "the delivery was not confirmed";
    default:
        return "printer refused the job: " +
               (saysSomething(result.ErrorMsg) ? result.ErrorMsg : "error " + std::to_string(result.ErrorCode));
    }
}

}  // namespace zentcore
