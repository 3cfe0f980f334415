// Rendering with the real processor on a worker thread, its completion
// message, progress, cancelling, and the page files.
#include <zentcore/render.h>
#include <zentcore/renderthread.h>

#include <zplatform/messaging.h>
#include <zplatform/prompter.h>
#include <zplatform/system.h>

#include "sample_jobs.h"
#include "test_env.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

namespace {

using zentcore::RenderUse;

// A window that records the completion message.
struct Requester {
    std::optional<platform::Message> done;
    platform::WindowHandle window = platform::registerWindow([this](const platform::Message& m) { done = m; });
    ~Requester() { platform::unregisterWindow(window); }

    bool waitForCompletion(std::chrono::seconds limit = std::chrono::seconds(60)) {
        const auto until = std::chrono::steady_clock::now() + limit;
        while (!done && std::chrono::steady_clock::now() < until) {
            platform::pumpMessages();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return done.has_value();
    }
};

zentcore::RenderRequest request(const testenv::TempDir& dir, int pages, RenderUse use) {
    testenv::writeFile(dir.file("ztp_1.ztp"), testenv::pagedPostScript(pages));
    zentcore::RenderRequest r;
    r.processor = "/usr/bin/gs";
    r.use = use;
    r.pagePrefix = dir.file("ztp_1_");
    r.input = dir.file("ztp_1.ztp");
    return r;
}

TEST(RenderThread, RendersEveryPageAndPostsTheCompletion) {
    testenv::IsolatedMachine m;
    struct Row {
        RenderUse use;
        zentcore::ImageFormat format;
        bool colour;
        const char* magic;   // the first bytes of a page file
    } rows[] = {
        {RenderUse::Preview, zentcore::ImageFormat::Png, true, "BM"},
        {RenderUse::Preview, zentcore::ImageFormat::Png, false, "BM"},
        {RenderUse::Image, zentcore::ImageFormat::Png, true, "\x89PNG"},
        {RenderUse::Image, zentcore::ImageFormat::Jpeg, false, "\xFF\xD8\xFF"},
    };
    for (const auto& row : rows) {
        testenv::TempDir dir;
        auto r = request(dir, 2, row.use);
        r.format = row.format;
        r.colour = row.colour;
        r.dpi = 30;
        Requester requester;
        zentcore::RenderThread thread(zentcore::BuildRenderCommandLine(r, false), requester.window,
                                      zentcore::kEmailReadyMessage);
        thread.resume();
        ASSERT_TRUE(requester.waitForCompletion());
        EXPECT_EQ(requester.done->msg, zentcore::kEmailReadyMessage);
        EXPECT_EQ(requester.done->wParam, 1u);
        EXPECT_EQ(requester.done->lParam, 0);
        EXPECT_EQ(zentcore::HandleRenderCompletion(*requester.done), zentcore::RenderCompletion::Finished);
        const std::string ext(zentcore::PageExtension(r));
        for (int page : {1, 2}) {
            const std::string file = zentcore::PageFile(r.pagePrefix, page, ext);
            EXPECT_EQ(testenv::readFile(file).rfind(row.magic, 0), 0u) << file;
        }
        EXPECT_FALSE(platform::fileExists(zentcore::PageFile(r.pagePrefix, 3, ext)));
        EXPECT_EQ(zentcore::PagesReady(r.pagePrefix, ext, 2, true), 2);
        EXPECT_EQ(zentcore::DeletePageFiles(r.pagePrefix, ext), 2);
        EXPECT_FALSE(platform::fileExists(zentcore::PageFile(r.pagePrefix, 1, ext)));
    }
}

TEST(RenderThread, AProcessorThatCannotStartIsReportedOnTheRequestersThread) {
    testenv::IsolatedMachine m;
    testenv::TempDir dir;
    auto r = request(dir, 1, RenderUse::Preview);
    r.processor = dir.file("no-such-gs");
    Requester requester;
    zentcore::RenderThread thread(zentcore::BuildRenderCommandLine(r, false), requester.window,
                                  zentcore::kPreviewReadyMessage);
    thread.resume();
    ASSERT_TRUE(requester.waitForCompletion());
    EXPECT_EQ(requester.done->wParam, 0u);
    EXPECT_EQ(requester.done->lParam, ENOENT);
    platform::ScriptedPrompter prompter;
    platform::ScopedPrompter scoped(prompter);
    EXPECT_EQ(zentcore::HandleRenderCompletion(*requester.done), zentcore::RenderCompletion::NotStarted);
    ASSERT_EQ(prompter.calls.size(), 1u);
    EXPECT_EQ(prompter.calls[0].caption, "posix_spawn");
    EXPECT_EQ(prompter.calls[0].text, platform::errorText(ENOENT));

    EXPECT_EQ(zentcore::HandleRenderCompletion({requester.window, 0, 1, EINTR}), zentcore::RenderCompletion::WaitFailed);
    EXPECT_EQ(prompter.calls.back().text, "Wait failed!");
}

TEST(RenderThread, CancelEndsTheProcessorAndItsPagesCanGo) {
    testenv::IsolatedMachine m;
    testenv::TempDir dir;
    auto r = request(dir, 3000, RenderUse::Preview);
    Requester requester;
    zentcore::RenderThread thread(zentcore::BuildRenderCommandLine(r, false), requester.window,
                                  zentcore::kPreviewReadyMessage);
    thread.resume();
    const std::string ext(zentcore::PageExtension(r));
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (zentcore::PagesReady(r.pagePrefix, ext, 3000, false) < 2 && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_GE(zentcore::PagesReady(r.pagePrefix, ext, 3000, false), 2);
    thread.cancel();
    ASSERT_TRUE(requester.waitForCompletion(std::chrono::seconds(10))) << "the processor ended on cancel";
    EXPECT_TRUE(thread.cancelled());
    EXPECT_LT(zentcore::PagesReady(r.pagePrefix, ext, 3000, true), 3000);
    EXPECT_GE(zentcore::DeletePageFiles(r.pagePrefix, ext), 2);
    EXPECT_FALSE(platform::fileExists(zentcore::PageFile(r.pagePrefix, 1, ext)));
}

TEST(RenderPages, ReadyPagesAndProgressText) {
    testenv::TempDir dir;
    const std::string prefix = dir.file("job_");
    auto make = [&](int n) {
        for (int k = 1; k <= n; ++k) testenv::writeFile(zentcore::PageFile(prefix, k, ".bmp"), "x");
    };
    EXPECT_EQ(zentcore::PagesReady(prefix, ".bmp", 12, false), 0);
    make(1);
    EXPECT_EQ(zentcore::PagesReady(prefix, ".bmp", 12, false), 0) << "page 1 is still being written";
    EXPECT_EQ(zentcore::PagesReady(prefix, ".bmp", 12, true), 1);
    make(4);
    EXPECT_EQ(zentcore::PagesReady(prefix, ".bmp", 12, false), 3);
    EXPECT_EQ(zentcore::PagesReady(prefix, ".bmp", 3, false), 3) << "never more than the job's pages";
    EXPECT_EQ(zentcore::PagesReadyText(3, 12), "Page 3 of 12");
    // Deleting stops at the first missing file: page 6 stays.
    testenv::writeFile(zentcore::PageFile(prefix, 6, ".bmp"), "x");
    EXPECT_EQ(zentcore::DeletePageFiles(prefix, ".bmp"), 4);
    EXPECT_TRUE(platform::fileExists(zentcore::PageFile(prefix, 6, ".bmp")));
}

TEST(RenderPages, PageFilesGoToADirectoryOnlyTheUserMayEnter) {
    testenv::IsolatedMachine m;   // TMPDIR is the test's own
    platform::ScriptedPrompter prompter;
    platform::ScopedPrompter scoped(prompter);
    const auto dir = zentcore::UserTempDirectory();
    ASSERT_TRUE(dir);
    struct stat st {};
    ASSERT_EQ(::lstat(dir->c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(zentcore::PreparePagePrefix("ztp_7"), *dir + "/ztp_7_");

    // A link or an open directory planted under that name is refused.
    ASSERT_EQ(::rmdir(dir->c_str()), 0);
    ASSERT_EQ(::symlink(m.dir().path().c_str(), dir->c_str()), 0);
    EXPECT_EQ(zentcore::PreparePagePrefix("ztp_7"), std::nullopt);
    ASSERT_EQ(prompter.calls.size(), 1u);
    EXPECT_EQ(prompter.calls[0].text, "GetTempPath() failed!");
    ASSERT_EQ(::unlink(dir->c_str()), 0);
    ASSERT_EQ(::mkdir(dir->c_str(), 0777), 0);
    ::chmod(dir->c_str(), 0777);
    EXPECT_EQ(zentcore::UserTempDirectory(), std::nullopt);
}

}  // namespace
