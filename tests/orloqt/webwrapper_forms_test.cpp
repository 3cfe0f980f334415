// Forms in a real browser page: how a submission reaches the owner window,
// and who sends it (nobody, the browser, or the wrapper itself).
#include "browser_env.h"
#include "http_server_process.h"

#include <gtest/gtest.h>

#include <QSignalSpy>

namespace {

using browsertest::Browser;
using browsertest::waitUntil;

constexpr char EOT = '\x04';

// A sign-in form posting to action; extra goes inside the form.
std::string signInPage(const std::string& action, const std::string& extra = {},
                       const std::string& formAttributes = "method=\"post\"") {
    return "<html><body><form id=\"f\" " + formAttributes + " action=\"" + action +
           "\"><input name=\"user\" id=\"user\"><input type=\"password\" name=\"password\" id=\"password\">" + extra +
           "<input type=\"submit\" id=\"send\" name=\"send\" value=\"Sign in\"></form></body></html>";
}

// Fills the form as a user would type it.
const QString kFill =
    "document.getElementById('user').value = 'J\u00f6rg & Co';"
    "document.getElementById('password').value = 'p=1%';";

class WebWrapperForms : public ::testing::Test {
protected:
    // Waits for the next submission message to the owner.
    bool waitForSubmission(size_t before) {
        return waitUntil([&] { return b.owner.messages.size() > before; });
    }
    bool stillOnTheForm() { return b.eval("document.getElementById('f') !== null").toBool(); }

    orlotest::HttpServerProcess server;
    Browser b;
};

TEST_F(WebWrapperForms, ASubmittedFormReachesTheOwnerAsTheCollectedText) {
    const struct {
        const char* how;
        QString script;
        std::string submitter;  // the button's field, when a button sent the form
    } ways[] = {
        {"the submit button", "document.getElementById('send').click()", "send=Sign in" + std::string(1, EOT)},
        {"form.submit()", "document.getElementById('f').submit()", ""},
        {"form.requestSubmit()", "document.getElementById('f').requestSubmit()", ""},
    };
    const std::string action = server.url("/echo?from=form");
    b.wrapper->SetMsgLParam(77);
    for (const auto& way : ways) {
        SCOPED_TRACE(way.how);
        // The page's own "_ORLO_URL_" field cannot pose as the target.
        b.show(signInPage(action, "<input type=\"hidden\" name=\"XSB12\" value=\"x\">"
                                  "<input type=\"hidden\" name=\"_ORLO_URL_\" value=\"http://elsewhere/\">"));
        const size_t before = b.owner.messages.size();
        const int mark = b.mark();
        b.eval(kFill + way.script);
        ASSERT_TRUE(waitForSubmission(before));

        const platform::Message& m = b.owner.messages.back();
        EXPECT_EQ(m.msg, 0x8014u);
        EXPECT_EQ(m.wParam, reinterpret_cast<std::uintptr_t>(b.wrapper.get()));
        EXPECT_EQ(m.lParam, 77);
        EXPECT_EQ(b.wrapper->CollectedText(), "_ORLO_URL_=" + action + EOT + "user=J\xc3\xb6rg & Co" + EOT +
                                                  "password=p=1%" + EOT + "XSB12=x" + EOT + way.submitter);
        EXPECT_EQ(b.wrapper->SubmissionNumber(), 12);
        // DoDefPost is off: the browser did not send the form.
        EXPECT_TRUE(stillOnTheForm());
        EXPECT_EQ(b.mark(), mark);
    }
}

TEST_F(WebWrapperForms, OnlySubmissionsThePageLetsGoAreHandedOver) {
    // "no" cancels itself, "no2" stops and cancels in a handler, "stopper" only
    // stops the event (the browser would send it: the wrapper hands it over
    // and the browser's own attempt is refused), "f" comes last as a marker.
    const std::string echo = server.url("/echo");
    b.show("<html><body>"
           "<form id=\"no\" method=\"post\" action=\"" + echo + "\" onsubmit=\"return false\">"
           "<input name=\"a\" value=\"1\"><input type=\"submit\" id=\"s1\"></form>"
           "<form id=\"no2\" method=\"post\" action=\"" + echo + "\">"
           "<input name=\"b\" value=\"2\"><input type=\"submit\" id=\"s2\"></form>"
           "<form id=\"stopper\" method=\"post\" action=\"" + echo + "\">"
           "<input name=\"d\" value=\"4\"><input type=\"submit\" id=\"s3\"></form>"
           "<form id=\"f\" method=\"post\" action=\"" + echo + "\"><input name=\"c\" value=\"3\"></form>"
           "<script>"
           "no2.addEventListener('submit', function (e) { e.stopPropagation(); e.preventDefault(); });"
           "stopper.addEventListener('submit', function (e) { e.stopPropagation(); });"
           "</script></body></html>");
    b.eval("s1.click(); s2.click(); s3.click(); setTimeout(function () { f.submit(); }, 50);");
    ASSERT_TRUE(waitUntil([&] { return b.collected.size() == 2; }));
    EXPECT_EQ(b.collected[0], "_ORLO_URL_=" + echo + EOT + "d=4" + EOT);
    EXPECT_EQ(b.collected[1], "_ORLO_URL_=" + echo + EOT + "c=3" + EOT);
    // The browser's own attempt at "stopper" was refused.
    EXPECT_TRUE(stillOnTheForm());
}

TEST_F(WebWrapperForms, WithDoDefPostAndNoInnerPostTheBrowserSendsTheForm) {
    b.wrapper->SetDoDefPost(true);
    b.wrapper->SetCallInnerPost(false);
    b.show(signInPage(server.url("/echo")));
    const size_t before = b.owner.messages.size();
    const int mark = b.mark();
    b.eval(kFill + "document.getElementById('send').click()");
    ASSERT_TRUE(waitForSubmission(before));
    ASSERT_TRUE(b.loadedSince(mark));
    const QString text = b.text();
    EXPECT_TRUE(text.contains("method=POST")) << text.toStdString();
    EXPECT_TRUE(text.contains("type=application/x-www-form-urlencoded")) << text.toStdString();
    EXPECT_TRUE(text.contains("body=user=J%C3%B6rg+%26+Co&password=p%3D1%25&send=Sign+in")) << text.toStdString();
}

TEST_F(WebWrapperForms, WithInnerPostTheWrapperSendsTheFormAndTheBrowserStays) {
    b.wrapper->SetDoDefPost(true);
    b.wrapper->SetInnerPostReferrer("http://referrer.invalid/");
    QSignalSpy errors(b.wrapper.get(), &TWebWrapper::OnErrorInnerPost);
    std::vector<std::string> responses;
    QObject::connect(b.wrapper.get(), &TWebWrapper::OnSuccessfulInnerPost,
                     [&](const std::string& response) { responses.push_back(response); });

    b.show(signInPage(server.url("/echo")));
    b.eval(kFill + "document.getElementById('send').click()");
    ASSERT_TRUE(waitUntil([&] { return !responses.empty(); }));
    EXPECT_NE(responses[0].find("agent=ORLO Vestra"), std::string::npos) << responses[0];
    EXPECT_NE(responses[0].find("referer=http://referrer.invalid/"), std::string::npos) << responses[0];
    EXPECT_NE(responses[0].find("body=_ORLO_URL_=" + TOrloFunction::iHTMLEncode(server.url("/echo")) +
                                "&user=J%C3%B6rg+%26+Co&password=p%3D1%25&send=Sign+in"),
              std::string::npos)
        << responses[0];
    EXPECT_TRUE(stillOnTheForm());

    // A target that does not answer fires the error event with the transfer's code.
    b.show(signInPage("http://127.0.0.1:" + std::to_string(testenv::freeLocalPort()) + "/"));
    b.eval("document.getElementById('send').click()");
    ASSERT_TRUE(waitUntil([&] { return errors.count() == 1; }));
    EXPECT_EQ(errors[0][0].toInt(), 7);  // connection refused
    EXPECT_EQ(responses.size(), 1u);
}

TEST_F(WebWrapperForms, AGetFormIsANavigationWithItsFieldsInTheQuery) {
    for (const bool doDefAction : {true, false}) {
        SCOPED_TRACE(doDefAction ? "DoDefAction on" : "DoDefAction off");
        b.wrapper->SetDoDefAction(doDefAction);
        b.show(signInPage(server.url("/echo?old=1"), {}, "method=\"get\""));
        const size_t before = b.owner.messages.size();
        const int started = b.started();
        const int mark = b.mark();
        b.eval(kFill + "document.getElementById('send').click()");
        const std::string query = "/echo?user=J%C3%B6rg+%26+Co&password=p%3D1%25&send=Sign+in";
        ASSERT_TRUE(b.waitForFiltered(query));
        if (doDefAction) {
            ASSERT_TRUE(b.loadedSince(mark));
            EXPECT_TRUE(b.text().contains(QString::fromStdString("target=" + query)));
        } else {
            EXPECT_TRUE(stillOnTheForm());
            EXPECT_EQ(b.started(), started);
        }
        // Without post data there is nothing to hand to the owner.
        EXPECT_EQ(b.owner.messages.size(), before);
    }
}

}  // namespace
