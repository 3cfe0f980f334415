// The web wrapper's own requests against a real HTTP server on 127.0.0.1:
// posting a form itself, fetching pages to produce them, and showing the
// produced pages.
#include <orlo/urltext.h>
#include <orlo/webrules.h>

#include "http_server_process.h"
#include "test_env.h"

#include <gtest/gtest.h>

#include <exception>
#include <filesystem>
#include <memory>
#include <string>

using namespace std::string_literals;

namespace {

class WebRulesHttp : public orlotest::HttpServerTest {
protected:
    void SetUp() override {
        HttpServerTest::SetUp();
        if (HasFatalFailure()) return;
        // Counts the producer's calls and marks its output.
        rules.SetFpp([this](const std::string& document) {
            ++produced;
            return document.empty() ? std::string() : "<produced>" + document + "</produced>";
        });
    }

    static std::string bodyUrl(const std::string& bytes) { return url("/body/" + orlo::UrlEncode(bytes)); }

    // The produced page a result points at.
    static std::string pageOf(const TNavigationResult& r) {
        const auto path = orlo::LocalPathOfUrl(r.NavigateTo);
        return path ? testenv::readFile(*path) : "<no page>";
    }

    testenv::IsolatedMachine machine;  // produced pages go to its TMPDIR
    testenv::ScopedEnv noProxy{"no_proxy", "*"};
    testenv::ScopedEnv noProxyUpper{"NO_PROXY", "*"};
    TWebWrapperRules rules;
    int produced = 0;
};

bool hasLine(const std::string& text, const std::string& line) {
    return ("\n" + text).find("\n" + line + "\n") != std::string::npos;
}

TEST_F(WebRulesHttp, InnerPostSendsTheCollectedFieldsToTheTarget) {
    rules.SetFppEnabled(false);
    rules.DoDefPost = true;
    rules.InnerPostReferrer = "http://127.0.0.1/plugin.htm";
    const std::string target = url("/echo?s=1");
    const TNavigationResult r = rules.BeforeNavigate({target, "user=a+b&note=x%04y&XSB3=go"s});

    EXPECT_TRUE(r.Submitted);
    EXPECT_TRUE(r.Cancel);  // the browser does not post it again
    EXPECT_TRUE(r.NavigateTo.empty());
    EXPECT_EQ(rules.CollectedText(), "_ORLO_URL_=" + target + "\4user=a b\4note=x\4y\4XSB3=go\4");
    EXPECT_EQ(rules.SubmissionNumber(), 3);
    ASSERT_TRUE(r.InnerPost);
    const TInnerPost& post = *r.InnerPost;
    EXPECT_EQ(post.Url, target);
    EXPECT_EQ(post.Names, (TOrloFunction::StringList{"_ORLO_URL_", "user", "note", "XSB3"}));
    ASSERT_TRUE(post.Succeeded) << post.ErrorCode;
    // The EOT inside a value stays inside it.
    EXPECT_TRUE(hasLine(post.Response, "body=_ORLO_URL_=" + TOrloFunction::iHTMLEncode(target) +
                                           "&user=a+b&note=x%04y&XSB3=go"))
        << post.Response;
    EXPECT_TRUE(hasLine(post.Response, "method=POST")) << post.Response;
    EXPECT_TRUE(hasLine(post.Response, "referer=http://127.0.0.1/plugin.htm")) << post.Response;
    EXPECT_EQ(produced, 0);
}

TEST_F(WebRulesHttp, FailedInnerPostReportsItsCode) {
    struct Case {
        const char* what;
        std::string url;
        int code;
    } const cases[] = {
        {"the server refuses", bodyUrl("Error denied"), 0},
        {"nobody listens", "http://127.0.0.1:" + std::to_string(testenv::freeLocalPort()) + "/f.cgi", 7},
    };
    rules.DoDefPost = true;
    for (const Case& c : cases) {
        const TNavigationResult r = rules.BeforeNavigate({c.url, "a=1"s});
        ASSERT_TRUE(r.InnerPost) << c.what;
        EXPECT_FALSE(r.InnerPost->Succeeded) << c.what;
        EXPECT_EQ(r.InnerPost->ErrorCode, c.code) << c.what;
        EXPECT_EQ(r.InnerPost->Response, "") << c.what;
        EXPECT_TRUE(r.Cancel) << c.what;
        EXPECT_TRUE(r.NavigateTo.empty()) << c.what;  // nothing to produce
    }
    EXPECT_EQ(produced, 0);
}

TEST_F(WebRulesHttp, InnerPostAnswerIsProducedAndShownAsTheWrappersOwnPage) {
    rules.DoDefPost = true;
    rules.DoDefAction = false;  // even then the wrapper's own page is shown
    const TNavigationResult r = rules.BeforeNavigate({bodyUrl("<p>step 2</p>"), "a=1"s});
    ASSERT_TRUE(r.InnerPost && r.InnerPost->Succeeded);
    EXPECT_EQ(r.InnerPost->Response, "<p>step 2</p>");
    EXPECT_TRUE(r.Cancel);
    ASSERT_FALSE(r.NavigateTo.empty());
    EXPECT_EQ(pageOf(r), "<produced><p>step 2</p></produced>");
    const std::string page = *orlo::LocalPathOfUrl(r.NavigateTo);

    const TNavigationResult own = rules.BeforeNavigate({r.NavigateTo, std::nullopt});
    EXPECT_FALSE(own.Cancel);
    EXPECT_TRUE(own.NavigateTo.empty());
    EXPECT_EQ(produced, 1);
    // Only the one navigation was ours.
    EXPECT_TRUE(rules.BeforeNavigate({r.NavigateTo, std::nullopt}).Cancel);

    rules.ReleasePages();
    EXPECT_FALSE(std::filesystem::exists(page));
}

TEST_F(WebRulesHttp, LinksAreFetchedAndProducedWhileTheProducerIsOn) {
    const std::string link = bodyUrl("<p><#AMOUNT></p>");
    const TNavigationResult r = rules.BeforeNavigate({link, std::nullopt});
    EXPECT_FALSE(r.Submitted);
    EXPECT_TRUE(r.Cancel);
    EXPECT_EQ(pageOf(r), "<produced><p><#AMOUNT></p></produced>");
    EXPECT_FALSE(rules.BeforeNavigate({r.NavigateTo, std::nullopt}).Cancel);  // ours: shown, not fetched again
    EXPECT_EQ(produced, 1);

    // The next link is fetched again.
    const TNavigationResult next = rules.BeforeNavigate({link, std::nullopt});
    EXPECT_TRUE(next.Cancel);
    EXPECT_NE(next.NavigateTo, r.NavigateTo);
    EXPECT_EQ(produced, 2);

    rules.SetFppEnabled(false);
    const TNavigationResult plain = rules.BeforeNavigate({link, std::nullopt});
    EXPECT_FALSE(plain.Cancel);
    EXPECT_TRUE(plain.NavigateTo.empty());
    EXPECT_EQ(produced, 2);
}

TEST_F(WebRulesHttp, PagesThatCannotBeFetchedAreReadFromDiskOrLeftToTheBrowser) {
    // Pages of the program's own (the page window's templates) may go to files.
    rules.LocalPagesAllowed = true;
    testenv::writeFile(machine.dir().file("answer page.htm"), "<p>local</p>");
    const TNavigationResult local = rules.BeforeNavigate({orlo::FileUrl(machine.dir().file("answer page.htm")), {}});
    EXPECT_TRUE(local.Cancel);
    EXPECT_EQ(pageOf(local), "<produced><p>local</p></produced>");

    struct Case {
        const char* what;
        std::string url;
    } const cases[] = {
        {"the server says Error", url("/missing")},
        {"no such file", orlo::FileUrl(machine.dir().file("missing.htm"))},
        {"an empty page", bodyUrl("")},
        {"not a web page", "about:blank"},
    };
    for (const Case& c : cases) {
        const TNavigationResult r = rules.BeforeNavigate({c.url, std::nullopt});
        EXPECT_FALSE(r.Cancel) << c.what;
        EXPECT_TRUE(r.NavigateTo.empty()) << c.what;
    }
}

TEST_F(WebRulesHttp, WithoutDefaultActionLinksAreNeitherFetchedNorFollowed) {
    rules.DoDefAction = false;
    const TNavigationResult r = rules.BeforeNavigate({bodyUrl("<p>x</p>"), std::nullopt});
    EXPECT_TRUE(r.Cancel);
    EXPECT_TRUE(r.NavigateTo.empty());
    EXPECT_EQ(produced, 0);
}

TEST_F(WebRulesHttp, ReportedFormsAreNotPostedEvenWithAProducer) {
    const TNavigationResult r = rules.BeforeNavigate({url("/echo"), "a=1"s});
    EXPECT_TRUE(r.Submitted);
    EXPECT_TRUE(r.Cancel);
    EXPECT_FALSE(r.InnerPost);
    EXPECT_EQ(produced, 0);
}

}  // namespace
