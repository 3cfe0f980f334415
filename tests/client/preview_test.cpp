// The preview window with the real processor: pages, borders, zoom modes,
// Close; and the wizard's Pre&view button.
#include "sample_jobs.h"
#include "wizard_env.h"

#include "render/tzoomform.h"
#include "shell/qtmessaging.h"

#include <zentcore/pageborders.h>
#include <zentcore/settings.h>
#include <zplatform/registry.h>
#include <zplatform/system.h>

#include <QCoreApplication>
#include <QLabel>
#include <QStyle>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

using zentclient::TZoomForm;
using ::testing::ElementsAre;

// A job of its own in a working directory, previewed with the real processor.
class Preview : public ::testing::Test {
protected:
    void SetUp() override {
        platform::RegKey::openOrCreate(platform::Hive::LocalMachine, zentcore::kClientKey)
            ->writeString("PSProcessor", "/usr/bin/gs");
    }
    void makeJob(int pages, int color = 1) {
        job.BaseName = "ztp_1";
        job.Pages = pages;
        job.Color = color;
        testenv::writeFile(machine.dir().file("ztp_1.ztp"), testenv::pagedPostScript(pages == 0 ? 2 : pages));
    }
    bool prepare() {
        return zoom.Prepare(job, machine.dir().path(), [this] {
            ++locatorCalls;
            return std::optional<std::string>();
        }, true);
    }
    // Shows the window and waits for the rendering to end.
    bool showAndRender() {
        zoom.show();
        return clienttest::waitUntil([&] { return !zoom.rendering(); });
    }
    std::string pageFile(int k) const { return zentcore::PageFile(zoom.pagePrefix(), k, ".bmp"); }
    bool dotted(int x, int y) const { return zoom.page().pixelColor(x, y) == Qt::black; }

    testenv::IsolatedMachine machine;
    zentclient::QtMessagePump pump;   // the render thread's message reaches the window
    platform::ScriptedPrompter prompter;
    platform::ScopedPrompter scoped{prompter};
    zentcore::TQueuedJob job;
    int locatorCalls = 0;
    std::vector<QString> busyTitles;
    TZoomForm zoom{nullptr, testenv::binDir(), [this](QDialog& busy) { busyTitles.push_back(busy.windowTitle()); }};
};

TEST_F(Preview, ShowsEachPageAndCloseDeletesThem) {
    makeJob(2);
    ASSERT_TRUE(prepare());
    EXPECT_EQ(zoom.StaticText1->text(), "1/2");
    EXPECT_EQ(zoom.UpDown1->maximum(), 2);
    ASSERT_TRUE(showAndRender());
    EXPECT_THAT(busyTitles, ElementsAre("Generating preview"));
    EXPECT_TRUE(zoom.isEnabled());
    EXPECT_TRUE(zoom.RadioButton1->isChecked());
    ASSERT_FALSE(zoom.page().isNull());
    EXPECT_EQ(zoom.Image1->size(), zoom.page().size()) << "1:1";
    EXPECT_TRUE(job.Previewed);
    // Page 1 says "Page 1" near its top; page 2 is another picture.
    const QImage first = zoom.page();
    zoom.UpDown1->setValue(2);
    EXPECT_EQ(zoom.StaticText1->text(), "2/2");
    EXPECT_NE(zoom.page(), first);
    EXPECT_EQ(zoom.ScrollBox1->verticalScrollBar()->value(), 0);
    EXPECT_TRUE(prompter.calls.empty());

    // A page 4 beyond the job's 2 that is not there: deleting stops at the gap.
    testenv::writeFile(pageFile(4), "x");
    zoom.close();
    EXPECT_FALSE(zoom.isVisible());
    EXPECT_FALSE(platform::fileExists(pageFile(1)));
    EXPECT_FALSE(platform::fileExists(pageFile(2)));
    EXPECT_TRUE(platform::fileExists(pageFile(4)));
}

TEST_F(Preview, BordersAtThePrintersMarginsAndNoneWithoutAPrinter) {
    makeJob(2, 0);
    job.PageGeometry.PaperWidth = 21000;
    job.PageGeometry.PaperHeight = 29700;
    const auto b = zentcore::ComputePageBorders(1000, 1414, job.PageGeometry);
    ASSERT_TRUE(b);
    EXPECT_EQ(b->x1, 0);
    EXPECT_EQ(b->x2, 1000);
    EXPECT_EQ(b->y1, 0);
    EXPECT_EQ(b->y2, 1414);
    EXPECT_EQ(b->lineEndX, 21000);
    EXPECT_EQ(b->lineEndY, 29700);
    job.PageGeometry.Margin = {1000, 2000, 500, 1500};   // left, top, right, bottom
    const auto m = zentcore::ComputePageBorders(1000, 1414, job.PageGeometry);
    EXPECT_EQ(m->x1, 47);    // 1000 * 1000 / 21000, truncated
    EXPECT_EQ(m->y1, 95);    // 1414 * 2000 / 29700
    EXPECT_EQ(m->x2, 976);   // 1000 * 20500 / 21000
    EXPECT_EQ(m->y2, 1342);  // 1414 * 28200 / 29700
    EXPECT_FALSE(zentcore::ComputePageBorders(1000, 1414, encdec::TPageGeometry{}));

    ASSERT_TRUE(prepare());
    ASSERT_TRUE(showAndRender());
    const int W = zoom.page().width(), H = zoom.page().height();
    const auto drawn = zentcore::ComputePageBorders(W, H, job.PageGeometry);
    // Dotted: along the left border some pixels are black, some are not.
    int black = 0;
    for (int y = 0; y < H; ++y) black += dotted(int(drawn->x1), y);
    EXPECT_GT(black, H / 4);
    EXPECT_LT(black, H);
    int across = 0;
    for (int x = 0; x < W; ++x) across += dotted(x, int(drawn->y2));
    EXPECT_GT(across, W / 4) << "the bottom border runs across the page";
    EXPECT_LT(across, W);
    zoom.close();

    job.PageGeometry = {};
    ASSERT_TRUE(prepare());
    ASSERT_TRUE(showAndRender());
    black = 0;
    for (int y = 0; y < zoom.page().height(); ++y) black += dotted(int(drawn->x1), y);
    EXPECT_EQ(black, 0) << "no printer, no borders";
}

TEST_F(Preview, ZoomModesAndWhatAResizeReapplies) {
    makeJob(1);
    ASSERT_TRUE(prepare());
    ASSERT_TRUE(showAndRender());
    const QSize natural = zoom.page().size();
    zoom.RadioButton2->click();
    EXPECT_EQ(zoom.Image1->size(), QSize(natural.width() / 2, natural.height() / 2));
    zoom.RadioButton3->click();
    EXPECT_EQ(zoom.Image1->size(), QSize(natural.width() / 4, natural.height() / 4));
    EXPECT_EQ(zoom.RadioButton4->text(), "F/width");
    EXPECT_EQ(zoom.RadioButton4->toolTip(), "Fight in window width");
    EXPECT_EQ(zoom.RadioButton5->toolTip(), "Fit in window height");

    // The scroll area as the fit sees it: its client size, plus a bar that is shown.
    const int bar = zoom.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, zoom.ScrollBox1);
    auto areaWidth = [&] {
        return zoom.ScrollBox1->viewport()->width() + (zoom.ScrollBox1->verticalScrollBar()->isVisible() ? bar : 0);
    };
    auto areaHeight = [&] {
        return zoom.ScrollBox1->viewport()->height() + (zoom.ScrollBox1->horizontalScrollBar()->isVisible() ? bar : 0);
    };
    const double r = double(natural.width()) / natural.height();

    // F/width on a portrait page in a wide, low window: the fitted page is
    // taller than the area, so it gives up the vertical bar's width.
    zoom.resize(700, 400);
    QCoreApplication::processEvents();
    int w = areaWidth();
    ASSERT_GT(int(w / r), areaHeight());
    zoom.RadioButton4->click();
    EXPECT_EQ(zoom.Image1->width(), w - bar);
    EXPECT_EQ(zoom.Image1->height(), int((w - bar) / r));
    QCoreApplication::processEvents();

    // Re-applied when the window grows.
    const int before = zoom.Image1->width();
    zoom.resize(900, 400);
    QCoreApplication::processEvents();
    EXPECT_GT(zoom.Image1->width(), before + 100);
    EXPECT_EQ(zoom.Image1->height(), int(zoom.Image1->width() / r));

    // F/height: the area's height and the width from the ratio, no correction.
    const int h = areaHeight();
    zoom.RadioButton5->click();
    EXPECT_EQ(zoom.Image1->height(), h);
    EXPECT_EQ(zoom.Image1->width(), int(h * r));
    QCoreApplication::processEvents();
    const int lower = zoom.Image1->height();
    zoom.resize(900, 700);
    QCoreApplication::processEvents();
    EXPECT_GT(zoom.Image1->height(), lower + 100);

    // 50% is not re-applied: the size stays.
    zoom.RadioButton2->click();
    const QSize half = zoom.Image1->size();
    zoom.resize(600, 400);
    QCoreApplication::processEvents();
    EXPECT_EQ(zoom.Image1->size(), half);
}

TEST_F(Preview, NoPagesOrNoProcessorShowsNothing) {
    makeJob(0);
    EXPECT_FALSE(prepare());
    ASSERT_EQ(prompter.calls.size(), 1u);
    EXPECT_EQ(prompter.calls[0].text, "No pages to view!");
    EXPECT_EQ(locatorCalls, 0) << "the processor is not even looked for";

    makeJob(2);
    platform::RegKey::openOrCreate(platform::Hive::LocalMachine, zentcore::kClientKey)
        ->writeString("PSProcessor", machine.dir().file("gone"));
    EXPECT_FALSE(prepare());
    EXPECT_EQ(locatorCalls, 1);
    EXPECT_TRUE(busyTitles.empty());
}

// The wizard's button, without a printer chosen: the borders question.
TEST(WizardPreview, WithoutAPrinterAsksWhetherToGoOnWithoutBorders) {
    clienttest::ClientMachine machine;
    machine.setMachineDword("Preview_En", 1);
    machine.setMachineString("PSProcessor", "/usr/bin/gs");
    machine.writeJob("ztp_1", clienttest::JobDescription("Report", 2, 1), testenv::pagedPostScript(2));
    clienttest::WizardClient client(machine);
    zentcore::TQueuedJob* job = client.pass();
    ASSERT_NE(job, nullptr);
    client.type("");
    job->PageGeometry.PaperWidth = 1;   // cleared by the button

    client.wizard().BitBtnPreviewClick();   // No
    EXPECT_THAT(client.messages(), ElementsAre(std::string("Q:") + zentclient::TUserForm::kNoBordersQuestion));
    EXPECT_TRUE(client.services.modalTitles.empty());
    EXPECT_EQ(job->PageGeometry, encdec::TPageGeometry{});

    bool shown = false;
    client.services.onModal = [&](QDialog& dialog) {
        auto& zoom = static_cast<TZoomForm&>(dialog);
        zoom.show();
        EXPECT_TRUE(clienttest::waitUntil([&] { return !zoom.rendering(); }));
        shown = !zoom.page().isNull();
        zoom.close();
        return 0;
    };
    client.prompter.answer(true);
    client.wizard().BitBtnPreviewClick();
    EXPECT_THAT(client.services.modalTitles, ElementsAre("Preview"));
    EXPECT_TRUE(shown);
    EXPECT_TRUE(job->Previewed);
    EXPECT_FALSE(platform::fileExists(client.wizard().previewWindow().pagePrefix() + "1.bmp"));
}

}  // namespace
