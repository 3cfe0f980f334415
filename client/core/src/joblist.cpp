// The rows of the job list and its status bar text, as data.
#include <zentcore/joblist.h>

#include <zentcore/jobfiles.h>

#include <cstdio>
#include <ctime>

namespace zentcore {

namespace {

std::tm brokenDownUtc(std::int64_t seconds) {
    const std::time_t t = std::time_t(seconds);
    std::tm tm{};
    gmtime_r(&t, &tm);
    return tm;
}

bool laterDate(const std::tm& a, const std::tm& b) {
    if (a.tm_year != b.tm_year) return a.tm_year > b.tm_year;
    return a.tm_yday > b.tm_yday;
}

void setSendColumn(JobRow& row, const TQueuedJob& job, const TQueuedJob* wizardJob, std::int64_t now,
                   std::int64_t standardOffset) {
    const bool newJob = job.SessionId == 0;
    if (job.Busy) {
        row.caption = "Sending";
        row.image = kImageSending;
    } else if (&job == wizardJob) {
        row.caption = "User input";
        row.image = kImageUserInput;
    } else if (job.NextAttempt > now) {
        // Both dates are UTC dates; the clock time shown is local standard time.
        if (!laterDate(brokenDownUtc(job.NextAttempt), brokenDownUtc(now))) {
            const std::tm local = brokenDownUtc(job.NextAttempt + standardOffset);
            char text[16];
            std::snprintf(text, sizeof text, "%02d:%02d:%02d", local.tm_hour, local.tm_min, local.tm_sec);
            row.caption = text;
            row.image = newJob ? kImageAtTimeNew : kImageScheduled;
        } else {
            row.caption = "Tomorrow";
            row.image = newJob ? kImageTomorrowNew : kImageScheduled;
        }
    } else {
        row.caption = "ASAP";
        row.image = newJob ? kImageDueNew : kImageScheduled;
    }
}

}  // namespace

std::int64_t LocalStandardOffset() {
    tzset();
    return -std::int64_t(timezone);
}

std::vector<std::string> JobDescriptionColumns(const TQueuedJob& job) {
    return {job.DocName,
            job.Submited,
            FormatByteSize(job.DataSize),
            std::to_string(job.Pages),
            std::to_string(job.Copies),
            PaperSizeName(job.Papersize),
            job.Orientation,
            std::to_string(job.SessionId),
            job.Printer,
            job.Server};
}

JobListContents BuildJobList(const JobQueue& queue, const TQueuedJob* wizardJob, std::int64_t now,
                             std::int64_t standardOffset) {
    JobListContents list;
    list.rows.reserve(queue.size());
    for (std::size_t i = 0; i < queue.size(); ++i) {
        TQueuedJob& job = queue.at(i);
        JobRow row;
        row.job = &job;
        setSendColumn(row, job, wizardJob, now, standardOffset);
        row.columns = JobDescriptionColumns(job);
        list.rows.push_back(std::move(row));
    }
    list.status = queue.empty() ? "0 pending requests" : std::to_string(queue.size()) + " pending request(s)";
    return list;
}

}  // namespace zentcore
