// The queue's list: arrival order, keys without regard to case, removal.
#include <zentcore/jobqueue.h>

#include <gtest/gtest.h>

#include <memory>

namespace {

using zentcore::JobQueue;
using zentcore::TQueuedJob;

std::unique_ptr<TQueuedJob> job(const std::string& base) {
    auto j = std::make_unique<TQueuedJob>();
    j->BaseName = base;
    return j;
}

TEST(JobQueue, KeepsArrivalOrderAndNeverTheSameKeyTwice) {
    JobQueue queue;
    EXPECT_TRUE(queue.empty());
    EXPECT_TRUE(queue.append(job("ztp_10")));
    EXPECT_TRUE(queue.append(job("ztp_2")));
    EXPECT_TRUE(queue.ListChanged);
    queue.ListChanged = false;

    EXPECT_FALSE(queue.append(job("ZTP_10")));
    EXPECT_FALSE(queue.append(nullptr));
    EXPECT_FALSE(queue.ListChanged);
    ASSERT_EQ(queue.size(), 2u);
    EXPECT_EQ(queue.at(0).BaseName, "ztp_10");
    EXPECT_EQ(queue.at(1).BaseName, "ztp_2");

    EXPECT_TRUE(queue.contains("Ztp_2"));
    EXPECT_EQ(queue.find("ZTP_2"), &queue.at(1));
    EXPECT_FALSE(queue.contains("ztp_1"));
    EXPECT_EQ(queue.find("ztp_"), nullptr);
}

TEST(JobQueue, RemovesOnlyAQueuedRecord) {
    JobQueue queue;
    queue.append(job("ztp_1"));
    queue.append(job("ztp_2"));
    queue.append(job("ztp_3"));
    queue.ListChanged = false;

    const TQueuedJob stranger;
    EXPECT_FALSE(queue.remove(&stranger));
    EXPECT_FALSE(queue.ListChanged);

    EXPECT_TRUE(queue.remove(queue.find("ztp_2")));
    EXPECT_TRUE(queue.ListChanged);
    ASSERT_EQ(queue.size(), 2u);
    EXPECT_EQ(queue.at(0).BaseName, "ztp_1");
    EXPECT_EQ(queue.at(1).BaseName, "ztp_3");
    // The key is free again.
    EXPECT_TRUE(queue.append(job("ztp_2")));
    EXPECT_EQ(queue.at(2).BaseName, "ztp_2");
}

}  // namespace
