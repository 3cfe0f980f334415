// The processor locator and the busy window as real widgets.
#include "render/tfindpsprog.h"
#include "render/tpreviewavi.h"

#include "test_env.h"
#include "wait.h"

#include <zplatform/prompter.h>

#include <QLabel>
#include <QMovie>
#include <QPushButton>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

using zentclient::TFindPsProg;

struct LocatorScript {
    std::deque<std::optional<std::string>> files;
    std::vector<std::string> addresses;
    TFindPsProg::Services services() {
        return {[this](QWidget*) {
                    auto f = files.empty() ? std::nullopt : files.front();
                    if (!files.empty()) files.pop_front();
                    return f;
                },
                [this](const std::string& a) { addresses.push_back(a); }};
    }
};

TEST(FindPsProg, LocatesOnlyAProgramAndDownloadKeepsItOpen) {
    testenv::TempDir dir;
    platform::ScriptedPrompter prompter;
    platform::ScopedPrompter scoped(prompter);
    testenv::writeFile(dir.file("ztpclient.dat"), "GS_download_address=\r\n");
    testenv::writeFile(dir.file("notes.txt"), "not a program");
    LocatorScript script;
    TFindPsProg locator(nullptr, dir.path(), script.services());
    EXPECT_EQ(locator.windowTitle(), "Find Postscript Processor");
    EXPECT_EQ(locator.ButtonRegister->text(), "Locate");
    EXPECT_EQ(locator.ButtonDownload->text(), "Download");
    EXPECT_EQ(locator.Memo1->text().split('\n').size(), 6);
    EXPECT_TRUE(locator.Memo1->text().startsWith("In order to preview your printout, you need to specify"));
    locator.open();

    // An empty address in the data file: the built-in page. The locator stays.
    locator.ButtonDownloadClick();
    ASSERT_EQ(script.addresses.size(), 1u);
    EXPECT_EQ(script.addresses[0], "https://ghostscript.com/releases/gsdnld.html");
    EXPECT_TRUE(locator.isVisible());

    // Cancelling the file dialog, a file that cannot run, a directory: still open.
    script.files = {std::nullopt, dir.file("notes.txt"), dir.path()};
    for (int i = 0; i < 3; ++i) locator.ButtonRegisterClick();
    EXPECT_TRUE(locator.isVisible());
    EXPECT_EQ(locator.result(), 0);
    ASSERT_EQ(prompter.calls.size(), 2u);
    EXPECT_EQ(prompter.calls[0].text, dir.file("notes.txt") + TFindPsProg::kNotAProgramMessage);

    script.files = {"/usr/bin/gs"};
    locator.ButtonRegisterClick();
    EXPECT_FALSE(locator.isVisible());
    EXPECT_EQ(locator.result(), QDialog::Accepted);
    EXPECT_EQ(locator.chosenPath(), "/usr/bin/gs");
}

TEST(PreviewAvi, LoopsItsAnimationWhileShown) {
    zentclient::TPreviewAvi busy(nullptr, testenv::binDir());
    EXPECT_EQ(busy.windowTitle(), "Generating preview");
    ASSERT_TRUE(busy.movie()->isValid()) << "data/res/cogs.gif beside the programs";
    EXPECT_GE(busy.movie()->frameCount(), 2);
    EXPECT_EQ(busy.movie()->state(), QMovie::NotRunning);
    busy.show();
    EXPECT_EQ(busy.movie()->state(), QMovie::Running);
    // Past the last frame it starts again.
    const int frames = busy.movie()->frameCount();
    int highest = 0;
    bool wrapped = false;
    testenv::waitUntil([&] {
        const int n = busy.movie()->currentFrameNumber();
        if (n < highest) wrapped = true;
        highest = std::max(highest, n);
        return wrapped;
    });
    EXPECT_TRUE(wrapped);
    EXPECT_EQ(highest, frames - 1);
    busy.setProgress("Page 3 of 12");
    EXPECT_EQ(busy.LabelPages->text(), "Page 3 of 12");
    busy.hide();
    EXPECT_EQ(busy.movie()->state(), QMovie::NotRunning);

    int cancels = 0;
    busy.setOnCancel([&] { ++cancels; });
    busy.show();
    busy.ButtonCancel->click();
    EXPECT_EQ(cancels, 1);
    EXPECT_TRUE(busy.isVisible()) << "it goes when the processor has ended";
}

}  // namespace
