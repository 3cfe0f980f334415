// The HTML page window with the shipped templates in a real browser: what its
// links do, and printing.
#include "client_env.h"
#include "htmlpage_browser.h"

#include "htmlpage/htmlpageservices.h"
#include "htmlpage/thtmlpage.h"

#include <zplatform/prompter.h>

#include <gtest/gtest.h>

#include <QPrinter>
#include <QPushButton>
#include <QSignalSpy>
#include <QWebEngineView>

#include <algorithm>

namespace {

using clienttest::pageText;
using clienttest::runScript;
using clienttest::waitForText;
using clienttest::waitUntil;
using zentclient::THTMLPage;

class ScriptedPageServices : public zentclient::HtmlPageServices {
public:
    bool choosePrinter(QWidget*, QPrinter& printer) override {
        ++printDialogs;
        if (pdfFile.empty()) return false;  // the user cancels
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(pdfFile));
        printer.setResolution(96);  // enough for a test, and fast
        return true;
    }
    bool startAddPrinter(std::string& error) override {
        ++addPrinterRuns;
        error = "no printer tool here";
        return addPrinterStarts;
    }

    std::string pdfFile;
    int printDialogs = 0;
    int addPrinterRuns = 0;
    bool addPrinterStarts = true;
};

class HtmlPageWindow : public ::testing::Test {
protected:
    HtmlPageWindow() : page(nullptr, &services) {}
    ~HtmlPageWindow() override { page.hide(); }

    // Shows the page from a template and waits until the browser shows it.
    void showTemplate(const std::string& file) {
        page.PageProducer1.HTMLFile = file;
        QSignalSpy loaded(page.WebBrowser1, &QWebEngineView::loadFinished);
        page.show();
        // A link refused on the page shown before may still report its end.
        const auto succeeded = [](const QList<QVariant>& args) { return args[0].toBool(); };
        ASSERT_TRUE(waitUntil([&] { return std::any_of(loaded.begin(), loaded.end(), succeeded); }, 10000));
    }
    std::string shipped(const std::string& name) const { return page.AppPath + "/" + name; }
    // Clicks the first link whose href starts with prefix.
    void clickLink(const QString& prefix) {
        ASSERT_TRUE(runScript(*page.WebBrowser1, "(function () { var a = document.querySelector('a[href^=\"" + prefix +
                                                     "\"]'); if (!a) return false; a.click(); return true; })()")
                        .toBool())
            << "no link to " << prefix.toStdString();
    }

    testenv::IsolatedMachine machine;
    platform::ScriptedPrompter prompter;
    platform::ScopedPrompter scoped{prompter};
    ScriptedPageServices services;
    THTMLPage page;
};

TEST_F(HtmlPageWindow, PickingAPrinterClosesWithItsNameAndMoreDataAsksForDetails) {
    const std::vector<zentcore::PrinterListEntry> list = {{"Laser", std::nullopt}, {"Some Printer", std::nullopt}};
    page.PrinterList = &list;
    const struct {
        const char* link;
        int result;
        std::string picked;
    } cases[] = {
        {"pr_sel.cgi#Some%20Printer", zentcore::kModalPrinterPicked, "Some Printer"},
        {"moredata.cgi", zentcore::kModalMoreData, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.link);
        QSignalSpy finished(&page, &QDialog::finished);
        showTemplate(shipped("prlist.htm"));
        clickLink(c.link);
        ASSERT_TRUE(finished.count() > 0 || finished.wait(10000));
        EXPECT_EQ(finished[0][0].toInt(), c.result);
        EXPECT_EQ(page.PickedPrinter, c.picked);
        EXPECT_FALSE(page.isVisible());
    }
    EXPECT_TRUE(prompter.calls.empty());
}

TEST_F(HtmlPageWindow, OrdinaryLinksAreFollowedEvenWhenOnlyTheirCaseDiffers) {
    testenv::TempDir dir;
    testenv::writeFile(dir.file("page.htm"), "<html><body><a href=\"PR_SEL.cgi#Laser\">Laser</a></body></html>");
    testenv::writeFile(dir.file("PR_SEL.cgi"), "<html><body><p>An ordinary page</p></body></html>");
    QSignalSpy finished(&page, &QDialog::finished);
    showTemplate(dir.file("page.htm"));
    clickLink("PR_SEL.cgi");
    EXPECT_TRUE(waitForText(*page.WebBrowser1, "An ordinary page"));
    EXPECT_TRUE(page.isVisible());
    EXPECT_EQ(finished.count(), 0);
    EXPECT_TRUE(page.PickedPrinter.empty());
}

TEST_F(HtmlPageWindow, AddPrinterStartsThePrinterToolAndStaysOpen) {
    testenv::TempDir dir;
    testenv::writeFile(dir.file("page.htm"),
                       "<html><body><p id=\"m\">Here</p><a href=\"addprinter.cgi\">Add</a></body></html>");
    showTemplate(dir.file("page.htm"));
    clickLink("addprinter.cgi");
    ASSERT_TRUE(waitUntil([&] { return services.addPrinterRuns == 1; }));
    EXPECT_TRUE(prompter.calls.empty());

    services.addPrinterStarts = false;
    clickLink("addprinter.cgi");
    ASSERT_TRUE(waitUntil([&] { return prompter.calls.size() == 1; }));
    EXPECT_EQ(prompter.calls[0].kind, platform::ScriptedPrompter::Kind::Error);
    EXPECT_EQ(prompter.calls[0].caption, "Zentrope Client");
    EXPECT_EQ(prompter.calls[0].text, "no printer tool here");
    EXPECT_TRUE(page.isVisible());
    EXPECT_TRUE(runScript(*page.WebBrowser1, "document.getElementById('m') !== null").toBool());
}

TEST_F(HtmlPageWindow, AHostileDocumentNameIsShownAsText) {
    zentcore::TQueuedJob job;
    job.DocName = "<script>document.title = 'taken'</script><b>bold</b>";
    job.Pages = 12;
    page.Job = &job;
    page.setWindowTitle("Document Information");
    showTemplate(shipped("docinfo.htm"));
    const QString text = pageText(*page.WebBrowser1);
    EXPECT_TRUE(text.contains("<script>document.title = 'taken'</script><b>bold</b>")) << text.toStdString();
    EXPECT_EQ(runScript(*page.WebBrowser1, "document.title").toString(), "Document Information");
    EXPECT_EQ(runScript(*page.WebBrowser1, "document.getElementsByTagName('b').length").toInt(), 0);
}

TEST_F(HtmlPageWindow, PrintWritesThePageWhereThePrintDialogSaysAndOkCloses) {
    testenv::TempDir dir;
    const encdec::TPrinterData printer;
    page.Printer = &printer;
    showTemplate(shipped("prinfo.htm"));

    page.BitBtnPrint->click();  // cancelled in the dialog
    EXPECT_EQ(services.printDialogs, 1);
    EXPECT_TRUE(page.BitBtnPrint->isEnabled());

    services.pdfFile = dir.file("page.pdf");
    QSignalSpy printed(page.WebBrowser1, &QWebEngineView::printFinished);
    page.BitBtnPrint->click();
    EXPECT_FALSE(page.BitBtnPrint->isEnabled());  // one print at a time
    ASSERT_TRUE(printed.wait(20000));
    EXPECT_TRUE(printed[0][0].toBool());
    EXPECT_EQ(testenv::readFile(services.pdfFile).substr(0, 5), "%PDF-");
    EXPECT_TRUE(page.BitBtnPrint->isEnabled());
    EXPECT_TRUE(prompter.calls.empty());

    QSignalSpy finished(&page, &QDialog::finished);
    page.BitBtn1->click();
    ASSERT_EQ(finished.count(), 1);
    EXPECT_EQ(finished[0][0].toInt(), QDialog::Accepted);
}

TEST_F(HtmlPageWindow, AMissingTemplateIsReportedAndShowsNothing) {
    testenv::TempDir dir;
    showTemplate(dir.file("gone.htm"));
    ASSERT_EQ(prompter.calls.size(), 1u);
    EXPECT_EQ(prompter.calls[0].kind, platform::ScriptedPrompter::Kind::Warn);
    EXPECT_NE(prompter.calls[0].text.find(dir.file("gone.htm")), std::string::npos);
    EXPECT_TRUE(pageText(*page.WebBrowser1).trimmed().isEmpty());
}

}  // namespace
