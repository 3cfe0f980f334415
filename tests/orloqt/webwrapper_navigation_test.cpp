// Where a page shown through the wrapper may go: links by DoDefAction, the
// owner's own refusals, produced pages, and the bounds of an untrusted page.
#include "browser_env.h"
#include "http_server_process.h"

#include <orlo/urltext.h>

#include <gtest/gtest.h>

#include <QSignalSpy>

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

// Every way a server's page can ask to go somewhere it may not: a local file,
// a data: page, a script URL, the program's resources. The page stays, and
// nothing of the local file ever shows.
TEST_F(WebWrapperNavigation, AnUntrustedPageCannotOpenLocalFilesOrOtherSchemes) {
    testenv::TempDir dir;
    const std::string local = dir.file("local.htm");
    // Opened in a frame, it would tell the page.
    testenv::writeFile(local, "<p>Local secret</p><script>parent.postMessage('Local secret', '*')</script>");
    const std::string file = orlo::FileUrl(local);
    const std::string dataPage =
        "data:text/html,<p>Data page</p><script>parent.postMessage(%27Data page%27, %27*%27)</script>";
    // A page that shows what its frames tell it.
    const std::string listener =
        "<script>addEventListener('message', function (e) { marker.textContent += ' ' + e.data; });</script>";
    enum class Asks {
        Browser,  // the browser asks for the navigation: it ends as a failed load
        Engine,   // the engine refuses it before the wrapper is asked: nothing loads
        Form,     // the page script hands a form over: it is filtered, not sent
        Text,     // a "GO_HREF#" text the owner shows: refused at once
        Frame,    // a frame inside the page: it stays empty
        Window,   // a new window: none is made
    };
    const struct {
        const char* how;
        std::string body;
        QString trigger;  // run once the page is shown; for Text, the text shown
        Asks asks;
    } attempts[] = {
        {"link to a file", "<a id=\"go\" href=\"" + file + "\">go</a>", "go.click()", Asks::Browser},
        {"link to a file through the page's base", "<base href=\"" + orlo::FileUrl(dir.path() + "/") +
             "\"><a id=\"go\" href=\"local.htm\">go</a>", "go.click()", Asks::Browser},
        {"link to a data page", "<a id=\"go\" href=\"" + dataPage + "\">go</a>", "go.click()", Asks::Engine},
        {"link to a resource", "<a id=\"go\" href=\"qrc:/orloqt/formcapture.js\">go</a>", "go.click()",
         Asks::Browser},
        {"link to a page's source", "<a id=\"go\" href=\"view-source:" + servedPage(server, "x") + "\">go</a>",
         "go.click()", Asks::Engine},
        {"script to a file", "", QString::fromStdString("location.href = '" + file + "'"), Asks::Browser},
        {"refresh to a file", "<meta http-equiv=\"refresh\" content=\"0;url=" + file + "\">", "", Asks::Browser},
        {"refresh to a data page", "<meta http-equiv=\"refresh\" content=\"0;url=" + dataPage + "\">", "",
         Asks::Engine},
        {"a GET form to a file", "<form id=\"f\" method=\"get\" action=\"" + file + "\"></form>", "f.submit()",
         Asks::Form},
        {"a form posted to a data page", "<form id=\"f\" method=\"post\" action=\"data:text/html,x\"></form>",
         "f.submit()", Asks::Form},
        {"GO_HREF to a file", "", QString::fromStdString("GO_HREF#" + file), Asks::Text},
        {"GO_HREF to a local path", "", QString::fromStdString("GO_HREF#" + local), Asks::Text},
        {"GO_HREF to a data page", "", QString::fromStdString("GO_HREF#" + dataPage), Asks::Text},
        {"GO_HREF to a script", "", "GO_HREF#javascript:marker.textContent = 'Script ran'", Asks::Text},
        {"GO_HREF to a resource", "", "GO_HREF#qrc:/orloqt/formcapture.js", Asks::Text},
        {"a frame of a file", "<iframe src=\"" + file + "\"></iframe>" + listener, "", Asks::Frame},
        {"a frame of a data page", "<iframe src=\"" + dataPage + "\"></iframe>" + listener, "", Asks::Frame},
        {"an object of a file", "<object type=\"text/html\" data=\"" + file + "\"></object>" + listener, "",
         Asks::Frame},
        {"a window of a file", "", QString::fromStdString("window.open('" + file + "') === null"), Asks::Window},
    };
    for (const auto& attempt : attempts) {
        SCOPED_TRACE(attempt.how);
        b.show(markedPage(attempt.body));
        const int mark = b.afterShown();  // a refresh may already be over
        const int started = b.started();
        switch (attempt.asks) {
        case Asks::Browser:
            if (!attempt.trigger.isEmpty()) b.eval(attempt.trigger);
            EXPECT_FALSE(b.loadedSince(mark));
            break;
        case Asks::Engine:
            // Nothing to wait for but time: a load would have ended by now.
            if (!attempt.trigger.isEmpty()) b.eval(attempt.trigger);
            EXPECT_FALSE(b.loadedSince(mark, 1000));
            break;
        case Asks::Form:
            b.eval(attempt.trigger);
            ASSERT_TRUE(b.waitForFiltered(attempt.body.find(file) != std::string::npos ? file : "data:"));
            EXPECT_EQ(b.started(), started);
            break;
        case Asks::Text:
            EXPECT_FALSE(b.wrapper->SetContents(attempt.trigger.toStdString(), false));
            EXPECT_EQ(b.started(), started);
            break;
        case Asks::Frame:
            b.eval("0");  // the frames' messages, had they loaded, are in by now
            break;
        case Asks::Window:
            EXPECT_TRUE(b.eval(attempt.trigger).toBool());
            break;
        }
        EXPECT_TRUE(stillOnThePage());
        EXPECT_EQ(b.eval("marker.textContent").toString(), "start");
        EXPECT_FALSE(b.text().contains("secret"));
    }

    // A form posted to a file still reaches the owner, but is not sent there:
    // neither by the browser nor by the wrapper itself.
    b.wrapper->SetDoDefPost(true);
    for (const bool innerPost : {false, true}) {
        SCOPED_TRACE(innerPost ? "the wrapper posts" : "the browser posts");
        b.wrapper->SetCallInnerPost(innerPost);
        QSignalSpy posted(b.wrapper.get(), &TWebWrapper::OnErrorInnerPost);
        QSignalSpy succeeded(b.wrapper.get(), &TWebWrapper::OnSuccessfulInnerPost);
        const size_t before = b.owner.messages.size();
        b.show(markedPage("<form id=\"f\" method=\"post\" action=\"" + file +
                          "\"><input name=\"a\" value=\"1\"></form>"));
        const int started = b.started();
        b.eval("f.submit()");
        ASSERT_TRUE(waitUntil([&] { return b.owner.messages.size() > before; }));
        EXPECT_EQ(b.wrapper->CollectedText(), "_ORLO_URL_=" + file + "\x04" "a=1\x04");
        b.eval("0");
        EXPECT_TRUE(stillOnThePage());
        EXPECT_EQ(b.started(), started);
        EXPECT_EQ(posted.count() + succeeded.count(), 0);
    }

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
