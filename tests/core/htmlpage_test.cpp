// The HTML page window's tags and intercepted links.
#include <zentcore/htmlpage.h>
#include <zentcore/jobfiles.h>

#include "test_env.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace std::string_literals;
using namespace zentcore;

namespace {

void fillJob(TQueuedJob& job) {
    job.SessionId = 4711;
    job.Printer = "Laser <2>";
    job.Server = "print.example.org:20202";
    job.BaseName = "ztp_7";
    job.DocName = "Q3 \"R&D\" report.pdf";
    job.Submited = "2024-05-06 07:08:09";
    job.UserName = "o'brien";
    job.Orientation = "Landscape";
    job.Papersize = 9;
    job.Pages = 12;
    job.Copies = 3;
    job.MediaType = 2;
    job.DataSize = 123456;
    job.PackedSize = 2048;
}

encdec::TPrinterData samplePrinter() {
    encdec::TPrinterData p;
    p.PrinterName = "Laser & Co";
    p.Available = false;
    p.Color = true;
    p.XRes = 1200;
    p.YRes = 600;
    p.MaxPages = 50;
    p.PrPage = 9;
    p.Comments = "<script>alert(1)</script>";
    p.PrModel = "LX-9";
    p.PrLocation = "Room 2";
    p.AttName = "Ann";
    p.AttPhone = "+1 555";
    p.AttEmail = "ann@example.org";
    p.AttAddr1 = "Main St 1";
    p.AttAddr2 = "Springfield";
    p.Margins.Margin = {635, 500, 1270, 5};
    p.Margins.PaperWidth = 21000;
    p.Margins.PaperHeight = 29700;
    return p;
}

class HtmlPage : public ::testing::Test {
protected:
    HtmlPage() {
        fillJob(job);
        data.AppPath = "/opt/zentrope/data";
        data.Job = &job;
        data.Printer = &printer;
        data.PrinterList = &list;
    }
    std::string produce(const std::string& text) { return ProduceHtmlPage(text, data); }

    TQueuedJob job;
    encdec::TPrinterData printer = samplePrinter();
    std::vector<PrinterListEntry> list;
    HtmlPageData data;
};

TEST_F(HtmlPage, DocInfoGivesTheLastRecognisedParameterEscaped) {
    const struct {
        std::string tag, out;
    } cases[] = {
        {"<#docinfo Pages>", "12"},
        {"<#docinfo Printer Server>", "print.example.org:20202"},
        {"<#docinfo Server Unknown>", "print.example.org:20202"},  // unknown ones are ignored
        {"<#docinfo AppPath>", "/opt/zentrope/data/"},
        {"<#docinfo SessionId>", "4711"},
        {"<#docinfo Printer>", "Laser &lt;2&gt;"},
        {"<#docinfo FileName>", "ztp_7"},
        {"<#docinfo DocName>", "Q3 &quot;R&amp;D&quot; report.pdf"},
        {"<#docinfo CreDate>", "2024-05-06 07:08:09"},
        {"<#docinfo UserName>", "o&#39;brien"},
        {"<#docinfo Orientation>", "Landscape"},
        {"<#docinfo PaperSize>", PaperSizeName(9)},
        {"<#docinfo Copies>", "3"},
        {"<#docinfo MediaType>", "2"},
        {"<#docinfo szUncompressed>", FormatByteSize(123456)},
        {"<#docinfo szCompressed>", FormatByteSize(2048)},
        {"<#docinfo pages>", ""},    // names are exact
        {"<#docinfo Pages=1>", ""},  // a name=value parameter is no field name
        {"<#docinfo>", ""},
        {"<#unknown Pages>", ""},
        {"<#prinfo Pages>", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(produce(c.tag), c.out) << c.tag;
}

TEST_F(HtmlPage, PrinterInfoGivesEveryFieldEscaped) {
    const struct {
        std::string tag, out;
    } cases[] = {
        {"<#prinfo Available>", "No"},
        {"<#prinfo PrColor>", "Yes"},
        {"<#prinfo XRes>", "1200"},
        {"<#prinfo YRes>", "600"},
        {"<#prinfo MaxPages>", "50"},
        {"<#prinfo PrPage>", PaperSizeName(9)},
        {"<#prinfo PrinterName>", "Laser &amp; Co"},
        {"<#prinfo Comments>", "&lt;script&gt;alert(1)&lt;/script&gt;"},
        {"<#prinfo PrModel>", "LX-9"},
        {"<#prinfo PrLocation>", "Room 2"},
        {"<#prinfo AttName>", "Ann"},
        {"<#prinfo AttPhone>", "+1 555"},
        {"<#prinfo AttEmail>", "ann@example.org"},
        {"<#prinfo AttAddr>", "Main St 1 Springfield"},
        {"<#prinfo CxMM>", "210.00"},
        {"<#prinfo CyMM>", "297.00"},
        {"<#prinfo MarginLeftMM>", "6.35"},
        {"<#prinfo MarginRightMM>", "12.70"},
        {"<#prinfo MarginTopMM>", "5.00"},
        {"<#prinfo MarginBottomMM>", "0.05"},
        {"<#prinfo AppPath XRes>", "1200"},
        {"<#prinfo XRes AppPath>", "/opt/zentrope/data/"},
    };
    for (const auto& c : cases) EXPECT_EQ(produce(c.tag), c.out) << c.tag;
}

TEST_F(HtmlPage, MissingInputsGiveNothingButThePath) {
    HtmlPageData empty;
    empty.AppPath = "/d/";
    const struct {
        std::string tag, out;
    } cases[] = {
        {"<#docinfo Pages>", ""},  {"<#prinfo XRes>", ""},       {"<#prlist prlist>", ""},
        {"<#prlist prxinfo>", ""}, {"<#docinfo AppPath>", "/d/"}, {"<#prlist AppPath>", "/d/"},
    };
    for (const auto& c : cases) EXPECT_EQ(ProduceHtmlPage(c.tag, empty), c.out) << c.tag;
}

TEST_F(HtmlPage, PrinterListLinksEachNameUnlessAddressesAreReadOnly) {
    list = {{"Laser 1", std::nullopt}, {"A&B #2 <x>", std::nullopt}};
    EXPECT_EQ(produce("<#prlist prlist>"),
              "<li><a href=\"pr_sel.cgi#Laser%201\">Laser 1</a>\n"
              "<li><a href=\"pr_sel.cgi#A%26B%20%232%20%3Cx%3E\">A&amp;B #2 &lt;x&gt;</a>\n");
    data.AddrReadOnly = true;
    EXPECT_EQ(produce("<#prlist prlist>"), "<li>Laser 1\n<li>A&amp;B #2 &lt;x&gt;\n");
    EXPECT_EQ(produce("<#prlist prxinfo AppPath>"), "/opt/zentrope/data/");
}

TEST_F(HtmlPage, PrinterDetailsListShowsDescriptionsWhereTheServerGaveThem) {
    list = {{"Laser & Co", printer}, {"Gone", std::nullopt}};
    const std::string expected =
        "<P><b><a href=\"pr_sel.cgi#Laser%20%26%20Co\">Laser &amp; Co</a></b>\n"
        "<ul>\n"
        "<li>Available: No<li>Color: Yes<li>Resolution: 1200x600<li>Max. pages: 50<li>Paper size: " +
        PaperSizeName(9) +
        "<li>Comments: &lt;script&gt;alert(1)&lt;/script&gt;<li>Model: LX-9<li>Location: Room 2"
        "<li>Attendant's name: Ann<li>Attendant's phone: +1 555<li>Attendant's email: ann@example.org"
        "<li>Paper dimensions(mm): 210.00 x 297.00"
        "<li>Margins(mm):  left=6.35 right=12.70 top=5.00 bottom=0.05</ul>\n"
        "<P><b><a href=\"pr_sel.cgi#Gone\">Gone</a></b>\n";
    EXPECT_EQ(produce("<#prlist prxinfo>"), expected);
    data.AddrReadOnly = true;
    EXPECT_TRUE(produce("<#prlist prxinfo>").starts_with("<P><b>Laser &amp; Co</b>\n<ul>\n"));
}

TEST(HtmlPageLinks, InterceptsItsOwnLinksOnly) {
    const struct {
        std::string url;
        PageLinkAction action;
        std::string picked;
        int modal;
    } cases[] = {
        {"file:///opt/z/data/pr_sel.cgi#My%20Printer", PageLinkAction::PickPrinter, "My Printer", 101},
        {"pr_sel.cgi#Laser", PageLinkAction::PickPrinter, "Laser", 101},
        {"http://h/dir/pr_sel.cgi?x=1#Laser%231", PageLinkAction::PickPrinter, "Laser#1", 101},
        {"pr_sel.cgi#Laser#1", PageLinkAction::PickPrinter, "Laser#1", 101},
        {"C:\\dir\\pr_sel.cgi#a", PageLinkAction::PickPrinter, "a", 101},
        {"http://h/pr_sel%2Ecgi#a", PageLinkAction::PickPrinter, "a", 101},
        {"http://h/pr_sel.cgi", PageLinkAction::PickPrinter, "", 101},
        {"http://h/a/moredata.cgi", PageLinkAction::MoreData, "", 100},
        {"moredata.cgi?all=1", PageLinkAction::MoreData, "", 100},
        {"file:///x/addprinter.cgi", PageLinkAction::AddPrinter, "", 0},
        {"file:///x/PR_SEL.cgi#a", PageLinkAction::Follow, "", 0},
        {"file:///x/Pr_sel.CGI#a", PageLinkAction::Follow, "", 0},
        {"http://h/pr_sel.cgi/next.htm", PageLinkAction::Follow, "", 0},
        {"http://h/page.htm#pr_sel.cgi", PageLinkAction::Follow, "", 0},
        {"http://h/x.htm?next=pr_sel.cgi", PageLinkAction::Follow, "", 0},
        {"about:blank", PageLinkAction::Follow, "", 0},
        {"", PageLinkAction::Follow, "", 0},
    };
    for (const auto& c : cases) {
        const PageLinkDecision d = InterceptPageLink(c.url);
        EXPECT_EQ(d.Action, c.action) << c.url;
        EXPECT_EQ(d.PickedPrinter, c.picked) << c.url;
        EXPECT_EQ(d.ModalResult(), c.modal) << c.url;
        EXPECT_EQ(d.Cancel(), c.action != PageLinkAction::Follow) << c.url;
    }
}

TEST_F(HtmlPage, EveryPrinterNamePicksItselfBack) {
    const std::vector<std::string> names = {"plain", "with blank", "a#b?c&d", "100%", "\xC3\xA9t\xC3\xA9", "q\"'<>"};
    for (const std::string& name : names) {
        list = {{name, std::nullopt}};
        const std::string html = produce("<#prlist prlist>");
        const size_t start = html.find("href=\"") + 6;
        const std::string href = html.substr(start, html.find('"', start) - start);
        EXPECT_EQ(InterceptPageLink("file:///opt/z/data/" + href).PickedPrinter, name) << html;
    }
}

TEST_F(HtmlPage, TemplateFileIsProducedOrItsFailureExplained) {
    testenv::TempDir dir;
    testenv::writeFile(dir.file("t.htm"), "<p><#docinfo Pages></p>\n");
    std::string html = "old", error;
    ASSERT_TRUE(ProduceHtmlPageFile(dir.file("t.htm"), data, html, error)) << error;
    EXPECT_EQ(html, "<p>12</p>\n");
    html = "old";
    for (const std::string& path : {dir.file("missing.htm"), dir.path()}) {
        EXPECT_FALSE(ProduceHtmlPageFile(path, data, html, error)) << path;
        EXPECT_NE(error.find(path), std::string::npos) << error;
        EXPECT_EQ(html, "old");
    }
}

}  // namespace
