// What SetContents and Load show in a real browser.
#include "browser_env.h"
#include "http_server_process.h"

#include <orlo/urltext.h>

#include <gtest/gtest.h>

#include <sstream>
#include <sys/stat.h>

namespace {

using browsertest::Browser;
using browsertest::waitUntil;

TEST(WebWrapperContents, TextsFilesAndGoHrefLines) {
    orlotest::HttpServerProcess server;
    testenv::TempDir dir;
    testenv::writeFile(dir.file("page.htm"), "<html>\n  <body><p>From a file</p></body>\n</html>\n");
    const std::string target = server.url("/body/" + orlo::UrlEncode("<p>Went there</p>"));
    Browser b;

    const struct {
        const char* what;
        std::string text;
        bool isFile;
        QString shows;
    } cases[] = {
        {"a text", "<html><body>\n   <p>Shown text</p>\n</body></html>", false, "Shown text"},
        {"a file", dir.file("page.htm"), true, "From a file"},
        {"GO_HREF with blanks around it", "   GO_HREF#" + target + "  \n", false, "Went there"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const int mark = b.mark();
        ASSERT_TRUE(b.wrapper->SetContents(c.text, c.isFile));
        ASSERT_TRUE(b.loadedSince(mark));
        EXPECT_EQ(b.text().trimmed(), c.shows);
    }
    EXPECT_EQ(b.wrapper->GetURL(), target);
    EXPECT_EQ(b.url().toString(QUrl::FullyEncoded).toStdString(), target);

    std::istringstream stream("<p>From a stream</p>");
    int mark = b.mark();
    ASSERT_TRUE(b.wrapper->SetContents(stream));
    ASSERT_TRUE(b.loadedSince(mark));
    EXPECT_EQ(b.text().trimmed(), "From a stream");
    mark = b.mark();
    ASSERT_TRUE(b.wrapper->SetContents(std::vector<std::string>{"<p>From", "lines</p>"}));
    ASSERT_TRUE(b.loadedSince(mark));
    EXPECT_EQ(b.text().trimmed(), "From lines");

    EXPECT_FALSE(b.wrapper->SetContents(dir.file("missing.htm"), true));
}

TEST(WebWrapperContents, LoadKeepsThePreviousUrlWhenItCannotStart) {
    TWebWrapper detached;
    detached.SetURL("http://127.0.0.1/kept");
    EXPECT_FALSE(detached.Load("http://127.0.0.1/other"));
    EXPECT_FALSE(detached.SetContents("<p>x</p>", false));
    EXPECT_EQ(detached.GetURL(), "http://127.0.0.1/kept");

    Browser b;
    EXPECT_FALSE(b.wrapper->Load("http://[not a url"));
    EXPECT_TRUE(b.wrapper->GetURL().empty());
    const int mark = b.mark();
    ASSERT_TRUE(b.wrapper->Load(""));
    EXPECT_EQ(b.wrapper->GetURL(), "about:blank");
    ASSERT_TRUE(b.loadedSince(mark));
    EXPECT_EQ(b.url().toString(), "about:blank");
}

TEST(WebWrapperContents, APageTooLargeForAnInlineDocumentIsShownWhole) {
    Browser b;
    // Every byte of the comment escapes to three in a data: URL: far above its
    // limit, and nothing for the browser to lay out.
    std::string html = "<html><body><p id=\"first\">D\xc3\xa9" "but</p><!-- ";
    while (html.size() < 1024 * 1024) html += "\xc3\xa9\xc3\xa8 ";
    html += "--><p id=\"last\">Fin \xc3\xa9</p></body></html>";
    const int mark = b.mark();
    ASSERT_TRUE(b.wrapper->SetContents(html, false));
    ASSERT_TRUE(b.loadedSince(mark));
    EXPECT_EQ(b.eval("document.getElementById('first').textContent").toString(), "D\u00e9but");
    EXPECT_EQ(b.eval("document.getElementById('last').textContent").toString(), "Fin \u00e9");

    // It lives in a file of the wrapper's own until the browser is released.
    const std::string path = b.url().toLocalFile().toStdString();
    struct stat info {};
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    b.wrapper->UnsetBrowser();
    EXPECT_NE(stat(path.c_str(), &info), 0);
}

}  // namespace
