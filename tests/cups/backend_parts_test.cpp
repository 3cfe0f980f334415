// What the backend reads from a job: pages from the PostScript's comments,
// paper, colour and orientation from the options, and the printer
// description's defaults.
#include "test_env.h"

#include "dsc_pages.h"
#include "job_options.h"

#include <gtest/gtest.h>

namespace {

TEST(DscPages, CountsFromTheCommentsWhateverTheChunks) {
    const struct {
        const char* name;
        std::string text;
        int pages;
    } cases[] = {
        {"announced", "%!PS\n%%Pages: 3\n%%Page: 1 1\n", 3},
        {"at end", "%!PS\r\n%%Pages: (atend)\r\n%%Page: 1 1\r\n%%Page: 2 2\r\n%%Trailer\r\n%%Pages: 2\r\n%%EOF", 2},
        {"page order after the count", "%%Pages: 5 -1\n", 5},
        {"page comments only", "%!PS\n%%Page: a 1\n%%Page: b 2\r%%Page: c 3\n%%Page: d 4", 4},
        {"embedded documents not counted",
         "%%Page: 1 1\n%%BeginDocument: x.eps\n%%Pages: 9\n%%Page: 1 1\n%%EndDocument\n%%Page: 2 2\n", 2},
        {"none", "%!PS\nshowpage\n", 0},
        {"not at a line start", "x %%Pages: 7\n %%Page: 1 1\n", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (std::size_t chunk : {std::size_t(1), std::size_t(3), c.text.size()}) {
            zentro::DscPageCounter counter;
            for (std::size_t at = 0; at < c.text.size(); at += chunk) counter.feed(std::string_view(c.text).substr(at, chunk));
            EXPECT_EQ(counter.pages(), c.pages) << "chunks of " << chunk;
        }
    }
    // A line far longer than any comment is neither kept nor counted.
    zentro::DscPageCounter counter;
    counter.feed("%%Pages: 1" + std::string(1 << 20, '0') + "\n%%Page: 1 1\n");
    EXPECT_EQ(counter.pages(), 1);
}

TEST(JobLayout, PaperColourAndOrientationFromTheOptions) {
    const zentro::PrinterDefaults a4Colour{9, true};
    const struct {
        const char* options;
        int paper;
        bool color;
        bool landscape;
    } cases[] = {
        {"", 9, true, false},
        {"media=A3 PageSize=A3", 8, true, false},
        {"PageSize=Letter media=iso_a4_210x297mm", 1, true, false},   // the printer's own choice first
        {"media=na_legal_8.5x14in", 5, true, false},
        {"media=Tray1,EnvDL", 27, true, false},
        {"media=custom_100x100mm", 9, true, false},   // unknown: the default
        {"PageSize=a5 ColorModel=Gray", 11, false, false},
        {"print-color-mode=monochrome", 9, false, false},
        {"print-color-mode=color ColorModel=Gray", 9, false, false},
        {"ColorModel=RGB", 9, true, false},
        {"landscape", 9, true, true},
        {"landscape=false", 9, true, false},
        {"orientation-requested=4", 9, true, true},
        {"orientation-requested=5", 9, true, true},
        {"orientation-requested=3", 9, true, false},
        {"job-name='a b' PageSize=Executive", 7, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.options);
        const auto layout = zentro::LayoutOf(c.options, a4Colour);
        EXPECT_EQ(layout.paperSize, c.paper);
        EXPECT_EQ(layout.color, c.color);
        EXPECT_EQ(layout.landscape, c.landscape);
    }
    EXPECT_EQ(zentro::LayoutOf("", {1, false}).paperSize, 1);
    EXPECT_FALSE(zentro::LayoutOf("", {1, false}).color);
}

TEST(PrinterDescription, PassesTheCheckerAndGivesItsDefaults) {
    const std::string ppd = testenv::sourceDir() + "/data/zentrope.ppd";
    const auto checked = testenv::run({"cupstestppd", "-W", "none", ppd});
    EXPECT_EQ(checked.exitCode, 0) << checked.out << checked.err;
    EXPECT_NE(testenv::readFile(ppd).find("*NickName: \"Zentrope\""), std::string::npos);
    const auto defaults = zentro::ReadPrinterDefaults(ppd);
    EXPECT_EQ(defaults.paperSize, 9);
    EXPECT_TRUE(defaults.color);

    testenv::TempDir dir;
    testenv::writeFile(dir.file("gray.ppd"), "*PPD-Adobe: \"4.3\"\r\n*DefaultPageSize: Letter\r\n*DefaultColorModel: Gray\r\n");
    const auto gray = zentro::ReadPrinterDefaults(dir.file("gray.ppd"));
    EXPECT_EQ(gray.paperSize, 1);
    EXPECT_FALSE(gray.color);
    EXPECT_EQ(zentro::ReadPrinterDefaults(dir.file("missing.ppd")).paperSize, 9);
}

}  // namespace
