// zentctl render and export-html with the real processor.
#include "sample_jobs.h"
#include "test_env.h"

#include <zentcore/settings.h>
#include <zplatform/registry.h>
#include <zplatform/system.h>

#include <gtest/gtest.h>

namespace {

using testenv::zentctl;

void setMachine(const std::string& name, const std::string& value) {
    platform::RegKey::openOrCreate(platform::Hive::LocalMachine, zentcore::kClientKey)->writeString(name, value);
}

struct RenderMachine : testenv::IsolatedMachine {
    std::string ps = dir().file("job.ps");
    RenderMachine() {
        setMachine("PSProcessor", "/usr/bin/gs");
        testenv::writeFile(ps, testenv::pagedPostScript(2));
    }
};

// The colour type byte of a PNG's header: 0 grey, 2 RGB.
int pngColourType(const std::string& file) {
    const std::string png = testenv::readFile(file);
    return png.size() > 25 ? static_cast<unsigned char>(png[25]) : -1;
}

TEST(ZentctlRender, DryRunPrintsTheClientsCommandLine) {
    RenderMachine m;
    auto r = zentctl({"render", m.ps, "--pages", "2", "--color", "0", "--format", "bmp", "--out", "/tmp/p_", "--dry-run"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "\"/usr/bin/gs\" -dNOPAUSE -dBATCH -sDEVICE=bmpgray -dDOINTERPOLATE  -r120  -dTextAlphaBits=4 "
                     "-dGraphicsAlphaBits=2  -sOutputFile=\"/tmp/p_%d.bmp\" \"" + m.ps + "\"\n");
    r = zentctl({"render", m.ps, "--pages", "2", "--format", "png", "--dpi", "120", "--out", "/tmp/p_", "--dry-run"});
    EXPECT_EQ(r.out, "\"/usr/bin/gs\" -dNOPAUSE -dBATCH -sDEVICE=png16m -dDOINTERPOLATE  -dCOLORSCREEN  -r120  "
                     "-dTextAlphaBits=4 -dGraphicsAlphaBits=2  -sOutputFile=\"/tmp/p_%d.png\" \"" + m.ps + "\"\n");
    // The image resolution defaults to PSEmailDpi.
    platform::RegKey::openOrCreate(platform::Hive::LocalMachine, zentcore::kClientKey)->writeDword("PSEmailDpi", 96);
    r = zentctl({"render", m.ps, "--pages", "2", "--format", "jpeg", "--color", "0", "--out", "/tmp/p_", "--dry-run"});
    EXPECT_NE(r.out.find("-sDEVICE=jpeggray -dDOINTERPOLATE  -r96  "), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("/tmp/p_%d.jpg"), std::string::npos) << r.out;
    EXPECT_FALSE(platform::RegKey::openReadOnly(platform::Hive::LocalMachine, zentcore::kClientKey)
                     ->valueExists("PSEmailParaBW"))
        << "a dry run stores nothing";
}

TEST(ZentctlRender, RendersEachPageAndReportsProgress) {
    RenderMachine m;
    const std::string prefix = m.dir().file("out_");
    auto r = zentctl({"render", m.ps, "--pages", "2", "--format", "png", "--color", "0", "--dpi", "30", "--out", prefix});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, prefix + "1.png\n" + prefix + "2.png\n");
    EXPECT_NE(r.err.find("Page 2 of 2"), std::string::npos) << r.err;
    EXPECT_EQ(pngColourType(prefix + "1.png"), 0) << "monochrome is pnggray";

    r = zentctl({"render", m.ps, "--pages", "2", "--format", "bmp", "--out", prefix});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(testenv::readFile(prefix + "2.bmp").substr(0, 2), "BM");

    // Fewer pages than the job claims is an error, with what was made.
    r = zentctl({"render", m.ps, "--pages", "3", "--format", "bmp", "--out", prefix});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, prefix + "1.bmp\n" + prefix + "2.bmp\n");
    EXPECT_NE(r.err.find("the processor produced 2 of 3 pages"), std::string::npos) << r.err;
}

TEST(ZentctlRender, ErrorsAreClearAndChangeNothing) {
    RenderMachine m;
    struct Row {
        std::vector<std::string> args;
        int exitCode;
        std::string errPart;
    } rows[] = {
        {{"render", m.ps, "--format", "png", "--out", "x"}, 2, "needs --pages N"},
        {{"render", m.ps, "--pages", "2", "--format", "gif", "--out", "x"}, 2, "'--format' is bmp, png or jpeg"},
        {{"render", m.ps, "--pages", "2", "--format", "bmp", "--dpi", "72", "--out", "x"}, 2, "does not apply to bmp"},
        {{"render", m.ps, "--pages", "2", "--format", "png", "--dpi", "0", "--out", "x"}, 2, "must be above 0"},
        {{"render", m.ps, "--pages", "two", "--format", "png", "--out", "x"}, 2, "needs a whole number"},
        {{"render", m.ps, "--pages", "2", "--format", "png", "--color", "2", "--out", "x"}, 2, "'--color' is 0 or 1"},
        {{"render", m.ps, "--pages", "2", "--format", "png"}, 2, "needs --out PREFIX"},
        {{"render", m.dir().file("none.ps"), "--pages", "2", "--format", "png", "--out", "x"}, 1, "no file"},
        {{"export-html", m.ps, m.dir().file("nodir/x.htm"), "--pages", "2"}, 1, "no directory"},
        {{"export-html", m.ps, "x.htm", "--pages", "2", "--disposition", "3"}, 2, "'--disposition' is 0, 1 or 2"},
        {{"export-html", m.ps, "--pages", "2"}, 2, "needs a PostScript file and a target file"},
    };
    for (const auto& r : rows) {
        auto result = zentctl(r.args);
        EXPECT_EQ(result.exitCode, r.exitCode) << result.err;
        EXPECT_NE(result.err.find(r.errPart), std::string::npos) << result.err;
        EXPECT_EQ(result.out, "");
    }
    setMachine("PSProcessor", m.dir().file("gone/gs"));
    auto r = zentctl({"render", m.ps, "--pages", "2", "--format", "png", "--out", m.dir().file("o_")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("PSProcessor"), std::string::npos) << r.err;
    EXPECT_FALSE(platform::fileExists(m.dir().file("o_1.png")));

    // A processor that renders nothing: no HTML pointing at missing images.
    setMachine("PSProcessor", "/bin/true");
    r = zentctl({"export-html", m.ps, m.dir().file("empty.htm"), "--pages", "2"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("produced no page images"), std::string::npos) << r.err;
    EXPECT_FALSE(platform::fileExists(m.dir().file("empty1.htm")));
}

TEST(ZentctlExportHtml, WritesTheImagesAndTheExpectedPages) {
    RenderMachine m;
    const std::string fixtures = testenv::sourceDir() + "/tests/core/fixtures/htmlexport/";
    const std::string doc = "Q3 <draft> & \"notes\"";
    struct Row {
        std::string target;
        std::vector<std::string> extra;
        std::string opened;
        std::vector<std::string> expectedFiles;
    } rows[] = {
        {"report1.html", {}, "report1.html", {"report1.html", "report2.html"}},
        {"all.htm", {"--disposition", "2"}, "all.htm", {"all.htm"}},
    };
    for (const auto& row : rows) {
        std::vector<std::string> args = {"export-html", m.ps, m.dir().file(row.target), "--pages", "2", "--doc", doc};
        args.insert(args.end(), row.extra.begin(), row.extra.end());
        auto r = zentctl(args);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.out, m.dir().file(row.opened) + "\n");
        for (const auto& f : row.expectedFiles)
            EXPECT_EQ(testenv::readFile(m.dir().file(f)), testenv::readFile(fixtures + f)) << f;
    }
    // The images sit beside the pages, named by the base: colour by default,
    // grey for a monochrome job.
    EXPECT_EQ(pngColourType(m.dir().file("report1.png")), 2);
    EXPECT_EQ(pngColourType(m.dir().file("report2.png")), 2);
    EXPECT_FALSE(platform::fileExists(m.dir().file("report3.png")));
    auto r = zentctl({"export-html", m.ps, m.dir().file("grey.htm"), "--pages", "2", "--color", "0"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(pngColourType(m.dir().file("grey2.png")), 0);
    EXPECT_NE(testenv::readFile(m.dir().file("grey1.htm")).find("<TITLE>job.ps</TITLE>"), std::string::npos)
        << "the document name defaults to the file's";
}

}  // namespace
