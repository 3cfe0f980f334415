// The HTML export: target names, the three layouts byte for byte against the
// expected files, and writing them.
#include <zentcore/htmlexport.h>

#include <zplatform/prompter.h>
#include <zplatform/system.h>

#include "test_env.h"

#include <gtest/gtest.h>

namespace {

using zentcore::HtmlDisposition;

const std::string kDocName = "Q3 <draft> & \"notes\"";

std::string expected(const std::string& name) {
    return testenv::readFile(testenv::sourceDir() + "/tests/core/fixtures/htmlexport/" + name);
}

TEST(HtmlExport, TargetSplitsIntoDirectoryBaseAndExtension) {
    struct Row {
        const char* target;
        const char* dir;
        const char* base;
        const char* ext;
    } rows[] = {
        {"/home/anna/out/report.html", "/home/anna/out/", "report", "html"},
        {"/home/anna/out/report1.htm", "/home/anna/out/", "report", "htm"},   // the first page file of an export
        {"/out/a1.htm", "/out/", "a", "htm"},
        {"/out/1.htm", "/out/", "1", "htm"},                 // one character: the 1 stays
        {"/out/page11.htm", "/out/", "page1", "htm"},        // only one digit goes
        {"noext", "", "noext", "htm"},
        {"/out/my.report.v2.htm", "/out/", "my.report.v2", "htm"},
        {"/out.d/plain", "/out.d/", "plain", "htm"},         // a dot in the directory is no extension
    };
    for (const auto& r : rows) {
        const auto t = zentcore::SplitHtmlTarget(r.target);
        EXPECT_EQ(t.dir, r.dir) << r.target;
        EXPECT_EQ(t.base, r.base) << r.target;
        EXPECT_EQ(t.ext, r.ext) << r.target;
        EXPECT_EQ(t.pagePrefix(), std::string(r.dir) + r.base) << r.target;
    }
    EXPECT_EQ(zentcore::HtmlDispositionFromSetting(1), HtmlDisposition::Frames);
    EXPECT_EQ(zentcore::HtmlDispositionFromSetting(2), HtmlDisposition::OnePage);
    EXPECT_EQ(zentcore::HtmlDispositionFromSetting(0), HtmlDisposition::PagePerImage);
    EXPECT_EQ(zentcore::HtmlDispositionFromSetting(7), HtmlDisposition::PagePerImage);
}

TEST(HtmlExport, EachLayoutMatchesItsExpectedFiles) {
    struct Row {
        const char* target;
        int pages;
        HtmlDisposition disposition;
        std::vector<std::string> files;   // written in this order; the first is opened
    } rows[] = {
        {"/out/report.html", 2, HtmlDisposition::PagePerImage, {"report1.html", "report2.html"}},
        {"/out/report1.html", 2, HtmlDisposition::PagePerImage, {"report1.html", "report2.html"}},
        {"/out/site.htm", 3, HtmlDisposition::Frames, {"site.htm", "site_nav.htm"}},
        {"/out/all.htm", 2, HtmlDisposition::OnePage, {"all.htm"}},
    };
    for (const auto& r : rows) {
        const auto plan = zentcore::PlanHtmlExport(zentcore::SplitHtmlTarget(r.target), r.pages, r.disposition, kDocName);
        ASSERT_EQ(plan.files.size(), r.files.size()) << r.target;
        for (std::size_t i = 0; i < r.files.size(); ++i) {
            EXPECT_EQ(plan.files[i].path, "/out/" + r.files[i]);
            EXPECT_EQ(plan.files[i].contents, expected(r.files[i])) << r.files[i];
        }
        EXPECT_EQ(plan.open, "/out/" + r.files.front()) << r.target;
    }
}

TEST(HtmlExport, NamesThatWouldBreakALinkAreEncoded) {
    const auto plan = zentcore::PlanHtmlExport(zentcore::SplitHtmlTarget("/out/Q&A #2 \"é\".htm"), 1,
                                               HtmlDisposition::OnePage, "Résumé");
    ASSERT_EQ(plan.files.size(), 1u);
    EXPECT_EQ(plan.files[0].path, "/out/Q&A #2 \"é\".htm");
    EXPECT_NE(plan.files[0].contents.find("<img src=\"Q%26A%20%232%20%22%C3%A9%221.png\"><P></P>\r\n"),
              std::string::npos);
    EXPECT_NE(plan.files[0].contents.find("<TITLE>Résumé</TITLE>"), std::string::npos);
    EXPECT_TRUE(zentcore::PlanHtmlExport(zentcore::SplitHtmlTarget("/out/x.htm"), 0, HtmlDisposition::PagePerImage, "")
                    .open.empty());
}

TEST(HtmlExport, WritingStopsAtTheFirstFileThatCannotBeWritten) {
    testenv::TempDir dir;
    platform::ScriptedPrompter prompter;
    platform::ScopedPrompter scoped(prompter);
    zentcore::HtmlExportPlan plan;
    plan.files = {{dir.file("a.htm"), "one"}, {dir.file("missing/b.htm"), "two"}, {dir.file("c.htm"), "three"}};
    testenv::writeFile(dir.file("a.htm"), "old and longer");
    EXPECT_FALSE(zentcore::WriteHtmlExport(plan));
    EXPECT_EQ(testenv::readFile(dir.file("a.htm")), "one") << "replaced, not appended to";
    EXPECT_FALSE(platform::fileExists(dir.file("c.htm")));
    ASSERT_EQ(prompter.calls.size(), 1u);
    EXPECT_EQ(prompter.calls[0].text, "Failed to open HTML file for write!");
    EXPECT_EQ(prompter.calls[0].caption, "Zentrope Client");
}

}  // namespace
