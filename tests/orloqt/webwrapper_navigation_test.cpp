// Where a page shown through the wrapper may go: links by DoDefAction, the
// owner's own refusals, produced pages, and the bounds of an untrusted page.
#include "browser_env.h"
#include "http_server_process.h"

#include <orlo/urltext.h>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

using browsertest::Browser;
using browsertest::waitUntil;

// A page that says text, served by the test server.
std::string servedPage(const orlotest::HttpServerProcess& server, const std::string& text) {
    return server.url("/body/" + orlo::UrlEncode("<html><body><p>" + text + "</p></body></html>"));
}

// A page with a marker element, to tell that the browser stayed on it.
std::string markedPage(const std::string& body) {
    return "<html><body><p id=\"marker\">start</p>" + body + "</body></html>";
}

class WebWrapperNavigation : public ::testing::Test {
protected:
    bool stillOnThePage() { return b.eval("document.getElementById('marker') !== null").toBool(); }

    orlotest::HttpServerProcess server;
    Browser b;
};

TEST_F(WebWrapperNavigation, LinksAreFollowedWhileDoDefActionIsOnAndRefusedWhileOff) {
    for (const bool doDefAction : {true, false}) {
        SCOPED_TRACE(doDefAction ? "DoDefAction on" : "DoDefAction off");
        b.wrapper->SetDoDefAction(doDefAction);
        b.show(markedPage("<a id=\"go\" href=\"" + servedPage(server, "Arrived") + "\">go</a>"));
        const int mark = b.mark();
        b.eval("document.getElementById('go').click()");
        // A refused navigation ends with a failed load.
        EXPECT_EQ(b.loadedSince(mark), doDefAction);
        EXPECT_EQ(b.text().contains("Arrived"), doDefAction);
        EXPECT_TRUE(b.owner.messages.empty());
    }
}

TEST_F(WebWrapperNavigation, TheOwnersHandlerRefusesBeforeTheRulesAndFormsStillReachTheOwner) {
    b.refuse = [](const std::string& url) { return url.find("/stop") != std::string::npos; };
    b.show(markedPage("<a id=\"go\" href=\"" + server.url("/stop/here now") + "\">go</a>"
                      "<form id=\"f\" method=\"post\" action=\"" + server.url("/stop") +
                      "\"><input name=\"a\" value=\"1\"></form>"));
    const int mark = b.mark();
    b.eval("document.getElementById('go').click()");
    EXPECT_FALSE(b.loadedSince(mark));
    // The handler sees the target as the browser names it.
    EXPECT_TRUE(b.waitForFiltered(server.url("/stop/here%20now")));

    b.wrapper->SetDoDefPost(true);
    b.wrapper->SetCallInnerPost(false);
    b.eval("document.getElementById('f').submit()");
    ASSERT_TRUE(waitUntil([&] { return !b.owner.messages.empty(); }));
    EXPECT_EQ(b.wrapper->CollectedText(), "_ORLO_URL_=" + server.url("/stop") + "\x04" "a=1\x04");
    EXPECT_TRUE(stillOnThePage());
}

TEST_F(WebWrapperNavigation, AnUntrustedPageCannotOpenLocalFilesOrOtherSchemes) {
    testenv::TempDir dir;
    const std::string local = dir.file("local.htm");
    testenv::writeFile(local, "<p>Local secret</p>");
    const std::string file = orlo::FileUrl(local);
    const struct {
        const char* how;
        std::string body;
        QString trigger;  // run once the page is shown
        bool viaBrowser;  // the browser asks; otherwise the page script hands it over
    } attempts[] = {
        {"link to a file", "<a id=\"go\" href=\"" + file + "\">go</a>", "go.click()", true},
        {"script to a file", "", QString::fromStdString("location.href = '" + file + "'"), true},
        {"refresh to a file", "<meta http-equiv=\"refresh\" content=\"0;url=" + file + "\">", "", true},
        {"link to a resource", "<a id=\"go\" href=\"qrc:/orloqt/formcapture.js\">go</a>", "go.click()", true},
        {"a form to a file", "<form id=\"f\" method=\"get\" action=\"" + file + "\"></form>", "f.submit()", false},
    };
    for (const auto& attempt : attempts) {
        SCOPED_TRACE(attempt.how);
        b.show(markedPage(attempt.body));
        const int mark = b.afterShown();  // a refresh may already be over
        const int started = b.started();
        if (!attempt.trigger.isEmpty()) b.eval(attempt.trigger);
        if (attempt.viaBrowser) {
            EXPECT_FALSE(b.loadedSince(mark));
        } else {
            ASSERT_TRUE(b.waitForFiltered(file));
            EXPECT_EQ(b.started(), started);
        }
        EXPECT_TRUE(stillOnThePage());
    }

    // A form posted to a file still reaches the owner, but is not sent there.
    b.wrapper->SetDoDefPost(true);
    b.wrapper->SetCallInnerPost(false);
    const int started = b.started();
    b.show(markedPage("<form id=\"f\" method=\"post\" action=\"" + file +
                      "\"><input name=\"a\" value=\"1\"></form>"));
    b.eval("f.submit()");
    ASSERT_TRUE(waitUntil([&] { return !b.owner.messages.empty(); }));
    EXPECT_EQ(b.wrapper->CollectedText(), "_ORLO_URL_=" + file + "\x04" "a=1\x04");
    EXPECT_TRUE(stillOnThePage());
    EXPECT_EQ(b.started(), started + 1);  // the page itself only

    // The program's own pages (shown as local content) may go to local files
    // when the owner allows it.
    b.wrapper->SetLocalPagesAllowed(true);
    b.wrapper->SetBaseUrl(QUrl::fromLocalFile(QString::fromStdString(dir.path() + "/")));
    b.show(markedPage("<a id=\"go\" href=\"local.htm\">go</a>"));
    const int mark = b.mark();
    b.eval("go.click()");
    ASSERT_TRUE(b.loadedSince(mark));
    EXPECT_TRUE(b.text().contains("Local secret"));
}

TEST_F(WebWrapperNavigation, ProducedPagesAreShownFromTheWrappersOwnFiles) {
    b.wrapper->SetFpp([](const std::string& document) {
        std::string page = document;
        const std::string tag = "<#who>";
        if (const size_t at = page.find(tag); at != std::string::npos) page.replace(at, tag.size(), "the producer");
        return page;
    });
    // The server's page tries to read a local file once it is shown from one.
    testenv::TempDir dir;
    testenv::writeFile(dir.file("secret.txt"), "Local secret");
    const std::string reader =
        "Made by <#who></p><p id=\"leak\">reading</p><script>"
        "try { var x = new XMLHttpRequest(); x.open('GET', '" + orlo::FileUrl(dir.file("secret.txt")) + "', false);"
        "x.send(); leak.textContent = x.responseText; } catch (e) { leak.textContent = 'refused'; }</script><p>";
    b.show(markedPage("<a id=\"go\" href=\"" + servedPage(server, reader) + "\">go</a>"));
    b.eval("document.getElementById('go').click()");
    ASSERT_TRUE(waitUntil([&] { return b.text().contains("Made by the producer"); }));
    EXPECT_EQ(b.eval("leak.textContent").toString(), "refused");
    // The wrapper fetched the page itself and shows its own copy; an untrusted
    // page may still go there.
    const std::optional<std::string> path =
        orlo::LocalPathOfUrl(b.url().toString(QUrl::FullyEncoded).toStdString());
    ASSERT_TRUE(path);
    struct stat info {};
    EXPECT_EQ(stat(path->c_str(), &info), 0);

    // Detaching deletes it and hands the view a page of its own.
    QWebEnginePage* own = b.wrapper->GetDocument();
    b.wrapper->UnsetBrowser();
    EXPECT_NE(stat(path->c_str(), &info), 0);
    EXPECT_NE(b.view->page(), own);
    EXPECT_EQ(b.wrapper->GetDocument(), nullptr);
    EXPECT_EQ(b.view->contextMenuPolicy(), Qt::DefaultContextMenu);
}

}  // namespace
