// The page templates shipped beside the program: each is there, uses the
// tags and parameters of its page, and produces a page with every tag
// replaced and every value escaped.
#include <zentcore/htmlpage.h>

#include "test_env.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

using namespace zentcore;

namespace {

const std::set<std::string> docInfoParams = {
    "AppPath", "SessionId", "Printer",   "Server", "FileName", "DocName",        "CreDate",     "UserName",
    "Orientation", "PaperSize", "Pages", "Copies", "MediaType", "szUncompressed", "szCompressed"};
const std::set<std::string> printerInfoParams = {
    "AppPath",  "Available", "PrColor",  "XRes",     "YRes",         "MaxPages",      "PrPage",
    "PrinterName", "Comments", "PrModel", "PrLocation", "AttName",   "AttPhone",      "AttEmail",
    "AttAddr",  "CxMM",      "CyMM",     "MarginLeftMM", "MarginRightMM", "MarginTopMM", "MarginBottomMM"};
const std::set<std::string> printerListParams = {"AppPath", "prlist", "prxinfo"};

std::string templatePath(const std::string& name) { return testenv::binDir() + "/data/" + name; }

// tag name -> parameters used in the template
std::map<std::string, std::set<std::string>> tagsOf(const std::string& text) {
    std::map<std::string, std::set<std::string>> tags;
    PageProducer::Content(text, [&tags](const PageTag& tag) {
        auto& params = tags[tag.Name];
        for (const auto& p : tag.Params) params.insert(p.HasValue ? p.Name + "=" + p.Value : p.Name);
        return std::string();
    });
    return tags;
}

// Values that must be escaped, one per text field.
struct Sample {
    Sample() {
        job.SessionId = 31337;
        job.Printer = "Pr<inter>";
        job.Server = "srv&co:20202";
        job.BaseName = "ztp_\"9\"";
        job.DocName = "<script>alert('doc')</script>";
        job.Submited = "2024-01-02 <3>";
        job.UserName = "o'neil";
        job.Orientation = "Port<rait>";
        job.Pages = 271;
        job.Copies = 828;
        job.MediaType = 18;
        job.DataSize = 5000000;
        job.PackedSize = 7000;
        printer.PrinterName = "Laser<1>";
        printer.Comments = "fast & <b>cheap</b>";
        printer.PrModel = "M\"odel";
        printer.PrLocation = "Room <7>";
        printer.AttName = "Att<Name>";
        printer.AttPhone = "+1 <555>";
        printer.AttEmail = "a&b@example.org";
        printer.AttAddr1 = "Street <1>";
        printer.AttAddr2 = "Town & Co";
        printer.Margins.PaperWidth = 21590;
        printer.Margins.PaperHeight = 27940;
        list = {{"Queue <A>", printer}, {"Queue & B", std::nullopt}};
        data.AppPath = "/opt/zen <trope>/data";
        data.Job = &job;
        data.Printer = &printer;
        data.PrinterList = &list;
    }
    TQueuedJob job;
    encdec::TPrinterData printer;
    std::vector<PrinterListEntry> list;
    HtmlPageData data;
};

struct Template {
    const char* file;
    const char* tag;
    std::set<std::string> params;  // the parameters it must use
    std::vector<std::string> escapedValues;
};

const Template templates[] = {
    {kDocInfoTemplate, "docinfo", docInfoParams,
     {"Pr&lt;inter&gt;", "srv&amp;co:20202", "ztp_&quot;9&quot;", "&lt;script&gt;alert(&#39;doc&#39;)&lt;/script&gt;",
      "2024-01-02 &lt;3&gt;", "o&#39;neil", "Port&lt;rait&gt;", "31337", "271", "828", "18",
      "/opt/zen &lt;trope&gt;/data/"}},
    {kReceiptTemplate, "docinfo", docInfoParams,
     {"Pr&lt;inter&gt;", "srv&amp;co:20202", "&lt;script&gt;alert(&#39;doc&#39;)&lt;/script&gt;", "31337"}},
    {kPrinterInfoTemplate, "prinfo", printerInfoParams,
     {"Laser&lt;1&gt;", "fast &amp; &lt;b&gt;cheap&lt;/b&gt;", "M&quot;odel", "Room &lt;7&gt;", "Att&lt;Name&gt;",
      "+1 &lt;555&gt;", "a&amp;b@example.org", "Street &lt;1&gt; Town &amp; Co", "215.90", "279.40"}},
    {kPrinterListTemplate, "prlist", {"AppPath", "prlist"},
     {"<a href=\"pr_sel.cgi#Queue%20%3CA%3E\">Queue &lt;A&gt;</a>", "Queue &amp; B", "moredata.cgi"}},
    {kPrinterDetailsTemplate, "prlist", {"AppPath", "prxinfo"},
     {"Queue &lt;A&gt;</a></b>", "<li>Comments: fast &amp; &lt;b&gt;cheap&lt;/b&gt;", "Queue &amp; B"}},
};

TEST(HtmlPageTemplates, EachTemplateUsesTheParametersOfItsPage) {
    for (const Template& t : templates) {
        const std::string text = testenv::readFile(templatePath(t.file));
        ASSERT_FALSE(text.empty()) << t.file << " is not beside the program";
        EXPECT_NE(text.find("<meta charset=\"utf-8\">"), std::string::npos) << t.file;
        const auto tags = tagsOf(text);
        ASSERT_EQ(tags.size(), 1u) << t.file << " uses other tags";
        ASSERT_EQ(tags.begin()->first, t.tag) << t.file;
        EXPECT_EQ(tags.begin()->second, t.params) << t.file;
    }
}

TEST(HtmlPageTemplates, TogetherTheyUseEveryParameter) {
    std::map<std::string, std::set<std::string>> used;
    for (const Template& t : templates)
        for (const auto& [tag, params] : tagsOf(testenv::readFile(templatePath(t.file))))
            used[tag].insert(params.begin(), params.end());
    EXPECT_EQ(used["docinfo"], docInfoParams);
    EXPECT_EQ(used["prinfo"], printerInfoParams);
    EXPECT_EQ(used["prlist"], printerListParams);
}

TEST(HtmlPageTemplates, ProducedPagesHaveNoTagsLeftAndEscapedValues) {
    const Sample sample;
    for (const Template& t : templates) {
        std::string html, error;
        ASSERT_TRUE(ProduceHtmlPageFile(templatePath(t.file), sample.data, html, error)) << error;
        EXPECT_EQ(html.find("<#"), std::string::npos) << t.file;
        for (const std::string& value : t.escapedValues)
            EXPECT_NE(html.find(value), std::string::npos) << t.file << " lacks " << value;
        for (const char* raw : {"<script>", "Pr<inter>", "Laser<1>", "Queue <A>", "<b>cheap", "<trope>"})
            EXPECT_EQ(html.find(raw), std::string::npos) << t.file << " shows " << raw << " raw";
    }
}

}  // namespace
