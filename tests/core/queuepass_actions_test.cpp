// Who gets the wizard, the File menu's actions on the selected job, the
// pass's guard against itself and the transmission's argument text.
#include <zentcore/jobfiles.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "queuepass_fixture.h"

namespace {

namespace fs = std::filesystem;
using namespace queuetest;
using zentcore::TQueuedJob;

TEST_F(QueuePassTest, FirstDueNewJobGetsTheWizardAndTheNextWaitsUntilItIsFree) {
    TQueuedJob& first = handOff(JobChoice{});
    TQueuedJob& second = handOff(JobChoice{});

    queue.ListChanged = false;
    pass.run();
    EXPECT_EQ(wizard.job, &first);
    EXPECT_TRUE(queue.ListChanged);
    pass.run();
    EXPECT_EQ(wizard.taken, std::vector<std::string>{first.BaseName});

    // The user chose "Later"; the wizard lets the job go but is still closing.
    first.NextAttempt = kNow + 600;
    wizard.job = nullptr;
    pass.run();
    EXPECT_EQ(wizard.taken.size(), 1u) << "a visible wizard takes no job";
    wizard.release();
    pass.run();
    EXPECT_EQ(wizard.job, &second) << "the postponed first job is not due; the second is";

    // "Send now" makes the first due again: it is next once the wizard is free.
    pass.sendNow(&first);
    EXPECT_EQ(first.NextAttempt, 0);
    second.NextAttempt = kNow + 600;
    wizard.release();
    pass.run();
    EXPECT_EQ(wizard.taken, (std::vector<std::string>{first.BaseName, second.BaseName, first.BaseName}));
}

TEST_F(QueuePassTest, PassDoesNothingWhileAnotherPassRuns) {
    handOff(JobChoice{});
    handOff(JobChoice{});
    pass.TimerBusy = true;
    pass.run();
    EXPECT_TRUE(wizard.taken.empty());
    EXPECT_TRUE(pass.TimerBusy);

    // Showing the wizard runs a nested message loop in which the timer fires.
    pass.TimerBusy = false;
    bool nestedSawBusy = false;
    wizard.onTake = [&] {
        nestedSawBusy = pass.TimerBusy;
        wizard.job = nullptr;   // even a wizard that let go at once
        wizard.visible = false;
        pass.run();
    };
    pass.run();
    EXPECT_TRUE(nestedSawBusy);
    EXPECT_EQ(wizard.taken.size(), 2u) << "the outer pass goes on; the nested one did nothing";
    EXPECT_FALSE(pass.TimerBusy);
}

TEST_F(QueuePassTest, SendLaterPostponesByTenMinutesThenByAnHour) {
    TQueuedJob& job = handOff(JobChoice{});
    struct Step {
        std::int64_t now;
        std::int64_t expected;
    };
    const Step steps[] = {
        {kNow, kNow + 600},          // due: ten minutes from now
        {kNow, kNow + 4200},         // waiting: one hour more
        {kNow + 5000, kNow + 5600},  // overdue again: ten minutes from now
    };
    for (const Step& s : steps) {
        clock.set(s.now);
        queue.ListChanged = false;
        pass.sendLater(&job);
        EXPECT_EQ(job.NextAttempt, s.expected);
        EXPECT_TRUE(queue.ListChanged);
    }
    queue.ListChanged = false;
    pass.sendNow(&job);
    EXPECT_EQ(job.NextAttempt, 0);
    EXPECT_TRUE(queue.ListChanged);
}

TEST_F(QueuePassTest, ActionsNeedASelectableJob) {
    TQueuedJob& job = handOff(JobChoice{});
    job.CompressThread->WaitFor();
    const std::string base = job.BaseName;
    TQueuedJob stranger;   // a record that is not (or no longer) queued
    stranger.BaseName = base;
    EXPECT_EQ(pass.selectable(&job), &job);

    struct Case {
        const char* what;
        TQueuedJob* selected;
        std::function<void()> arrange;
    };
    const Case cases[] = {
        {"nothing selected", nullptr, [] {}},
        {"sending", &job, [&] { job.Busy = true; }},
        {"in the wizard", &job, [&] { wizard.takeJob(job); }},
        {"not queued", &stranger, [] {}},
    };
    using Action = void (zentcore::QueuePass::*)(TQueuedJob*);
    const std::pair<const char*, Action> actions[] = {{"Send now", &zentcore::QueuePass::sendNow},
                                                      {"Send later", &zentcore::QueuePass::sendLater},
                                                      {"Never send", &zentcore::QueuePass::neverSend}};
    for (const Case& c : cases) {
        for (const auto& [name, action] : actions) {
            SCOPED_TRACE(std::string(c.what) + ", " + name);
            job.Busy = false;
            wizard.release();
            job.NextAttempt = kNow + 1234;
            c.arrange();
            EXPECT_EQ(pass.selectable(c.selected), nullptr);
            queue.ListChanged = false;
            (pass.*action)(c.selected);
            EXPECT_EQ(job.NextAttempt, kNow + 1234);
            EXPECT_EQ(queue.size(), 1u);
            EXPECT_FALSE(queue.ListChanged);
            EXPECT_EQ(workFiles(), (std::set<std::string>{base + ".gz", base + ".txt", base + ".ztp"}));
        }
    }
}

TEST_F(QueuePassTest, NeverSendDeletesTheFilesWithoutArchiving) {
    struct Case {
        const char* what;
        std::int32_t session;
        std::size_t dataBytes;
        bool packingDone;
    };
    const Case cases[] = {
        {"new job still being packed", 0, 8 << 20, false},
        {"scheduled job with its packed file", 509, 20000, true},
    };
    settings.ArchiveDocs = true;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        JobChoice choice;
        choice.session = c.session;
        choice.server = "127.0.0.1:1";   // never contacted
        choice.dataBytes = c.dataBytes;
        TQueuedJob& job = handOff(choice);
        ASSERT_TRUE(job.CompressThread);
        if (c.packingDone) {
            job.CompressThread->WaitFor();
            ASSERT_TRUE(workFiles().count(job.BaseName + ".gz"));
        }
        job.NextAttempt = kNow + 600;   // scheduled, so no pass sends it meanwhile

        queue.ListChanged = false;
        pass.neverSend(&job);
        EXPECT_TRUE(queue.empty());
        EXPECT_TRUE(queue.ListChanged);
        // The packing was stopped and waited for, so no ".gz" can turn up later.
        EXPECT_EQ(workFiles(), std::set<std::string>{});
        EXPECT_EQ(savedFiles(), std::set<std::string>{});
    }
}

TEST_F(QueuePassTest, TransmissionTextHasEightFieldsWithSignedFlags) {
    TQueuedJob job;
    job.BaseName = "ztp_7";
    job.Printer = "laser";
    job.Pages = 12;
    job.Copies = 3;
    job.Papersize = 9;
    job.Color = 2;
    job.DocName = "Report Q1.doc";
    const struct {
        std::uint16_t flags;
        const char* text;
    } cases[] = {{0, "0"}, {3, "3"}, {0x8001, "-32767"}, {0xFFFF, "-1"}};
    for (const auto& c : cases) {
        job.ServerFlags = c.flags;
        EXPECT_EQ(pass.transmissionText(job),
                  "laser\x04" + work + "/ztp_7.gz\x04" "12\x04" "3\x04" "9\x04" "2\x04" + c.text + "\x04Report Q1.doc");
    }
}

}  // namespace
