// The job list's rows: the "Send" column around midnight, the images, the
// other columns and the status bar text.
#include "test_env.h"

#include <zentcore/joblist.h>

#include <gtest/gtest.h>

#include <ctime>
#include <memory>

namespace {

using zentcore::BuildJobList;
using zentcore::JobQueue;
using zentcore::TQueuedJob;

// 10 March 2024, hh:mm:ss UTC.
std::int64_t march10(int hour, int minute, int second = 0) {
    return 1710028800 + hour * 3600 + minute * 60 + second;
}

struct SendCase {
    const char* what;
    bool busy;
    bool wizards;
    std::int32_t session;
    std::int64_t nextAttempt;   // 0: due at once
    std::int64_t standardOffset;
    const char* caption;
    int image;
};

const std::int64_t kNow = march10(23, 0);

const SendCase kSendCases[] = {
    {"due, new", false, false, 0, 0, 0, "ASAP", zentcore::kImageDueNew},
    {"due, with session", false, false, 7, 0, 0, "ASAP", zentcore::kImageScheduled},
    {"due this second", false, false, 0, kNow, 0, "ASAP", zentcore::kImageDueNew},
    {"23:30 today", false, false, 0, march10(23, 30), 0, "23:30:00", zentcore::kImageAtTimeNew},
    {"23:30 today, session", false, false, 7, march10(23, 30), 0, "23:30:00", zentcore::kImageScheduled},
    {"last second of the day", false, false, 0, march10(23, 59, 59), 0, "23:59:59", zentcore::kImageAtTimeNew},
    // The date is the UTC date; the clock is local standard time.
    {"23:30 UTC shown at UTC+1", false, false, 0, march10(23, 30), 3600, "00:30:00", zentcore::kImageAtTimeNew},
    {"23:30 UTC shown at UTC-5", false, false, 0, march10(23, 30), -18000, "18:30:00", zentcore::kImageAtTimeNew},
    {"00:30 tomorrow", false, false, 0, march10(24, 30), 0, "Tomorrow", zentcore::kImageTomorrowNew},
    {"00:30 tomorrow, session", false, false, 7, march10(24, 30), 0, "Tomorrow", zentcore::kImageScheduled},
    {"next year", false, false, 0, march10(24 * 300, 0), 0, "Tomorrow", zentcore::kImageTomorrowNew},
    {"wizard's job", false, true, 0, march10(24, 30), 0, "User input", zentcore::kImageUserInput},
    {"sending", true, true, 7, march10(23, 30), 0, "Sending", zentcore::kImageSending},
};

void PrintTo(const SendCase& c, std::ostream* os) { *os << c.what; }

class SendColumn : public ::testing::TestWithParam<SendCase> {};

TEST_P(SendColumn, ShowsTheJobsState) {
    const SendCase& c = GetParam();
    JobQueue queue;
    auto job = std::make_unique<TQueuedJob>();
    job->BaseName = "ztp_1";
    job->Busy = c.busy;
    job->SessionId = c.session;
    job->NextAttempt = c.nextAttempt;
    TQueuedJob* record = job.get();
    queue.append(std::move(job));

    const auto list = BuildJobList(queue, c.wizards ? record : nullptr, kNow, c.standardOffset);
    ASSERT_EQ(list.rows.size(), 1u);
    EXPECT_EQ(list.rows[0].caption, c.caption) << c.what;
    EXPECT_EQ(list.rows[0].image, c.image) << c.what;
    EXPECT_EQ(list.rows[0].job, record);
}

INSTANTIATE_TEST_SUITE_P(Cases, SendColumn, ::testing::ValuesIn(kSendCases));

TEST(BuildJobList, ListsTheColumnsOfEveryJobInQueueOrder) {
    JobQueue queue;
    auto a = std::make_unique<TQueuedJob>();
    a->BaseName = "ztp_5";
    a->DocName = "Quarterly report";
    a->Submited = "2024/3/10 22:1:2.3";
    a->DataSize = 1501;
    a->Pages = 12;
    a->Copies = 2;
    a->Papersize = 9;
    a->Orientation = "Landscape";
    a->SessionId = -4;
    a->Printer = "laser";
    a->Server = "print.example:20202";
    auto b = std::make_unique<TQueuedJob>();
    b->BaseName = "ztp_1";
    b->Papersize = 0;
    queue.append(std::move(a));
    queue.append(std::move(b));

    const auto list = BuildJobList(queue, nullptr, kNow, 0);
    ASSERT_EQ(list.rows.size(), 2u);
    EXPECT_EQ(list.rows[0].columns,
              (std::vector<std::string>{"Quarterly report", "2024/3/10 22:1:2.3", "2 K", "12", "2", "A4, 210x297mm",
                                        "Landscape", "-4", "laser", "print.example:20202"}));
    EXPECT_EQ(list.rows[1].columns, (std::vector<std::string>{"", "", "0", "0", "1", "#0", "", "0", "", ""}));
    EXPECT_EQ(list.status, "2 pending request(s)");
}

TEST(BuildJobList, StatusCountsThePendingRequests) {
    JobQueue queue;
    EXPECT_EQ(BuildJobList(queue, nullptr, kNow, 0).status, "0 pending requests");
    EXPECT_TRUE(BuildJobList(queue, nullptr, kNow, 0).rows.empty());
    auto job = std::make_unique<TQueuedJob>();
    job->BaseName = "ztp_1";
    queue.append(std::move(job));
    EXPECT_EQ(BuildJobList(queue, nullptr, kNow, 0).status, "1 pending request(s)");
}

TEST(LocalStandardOffset, IsTheZonesStandardOffsetEastOfUtcWithoutDaylightSaving) {
    const struct {
        const char* tz;
        std::int64_t offset;
    } cases[] = {
        {"UTC0", 0},
        {"EST5EDT,M3.2.0,M11.1.0", -5 * 3600},   // summer or not: standard time
        {"CET-1CEST,M3.5.0,M10.5.0/3", 3600},
        {"IST-5:30", 5 * 3600 + 1800},
    };
    for (const auto& c : cases) {
        testenv::ScopedEnv tz("TZ", c.tz);
        EXPECT_EQ(zentcore::LocalStandardOffset(), c.offset) << c.tz;
    }
    tzset();
}

}  // namespace
