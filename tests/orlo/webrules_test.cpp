// The web wrapper's rules without HTTP: collecting forms, refusing
// navigations, what SetContents shows and the context menu.
#include <orlo/urltext.h>
#include <orlo/webrules.h>

#include "test_env.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

using namespace std::string_literals;

namespace {

struct Switches {
    bool doDefPost, doDefAction, callInnerPost;
};

void apply(TWebWrapperRules& rules, const Switches& s) {
    rules.DoDefPost = s.doDefPost;
    rules.DoDefAction = s.doDefAction;
    rules.CallInnerPost = s.callInnerPost;
}

// Navigations that never reach the network: either no form, or a form the
// wrapper does not post itself.
TEST(WebRules, RefusesExactlyWhatItsSwitchesSay) {
    struct Case {
        const char* what;
        Switches switches;
        std::optional<std::string> post;
        const char* url;
        bool alreadyCancelled;
        bool submitted, cancel;
    } const cases[] = {
        {"link, default action", {false, true, true}, std::nullopt, "http://srv/a.htm", false, false, false},
        {"link, no default action", {false, false, true}, std::nullopt, "http://srv/a.htm", false, false, true},
        {"form only reported", {false, true, true}, "a=1", "http://srv/f.cgi", false, true, true},
        {"form only reported, no action", {false, false, false}, "a=1", "http://srv/f.cgi", false, true, true},
        {"form posted by the browser", {true, false, false}, "a=1", "http://srv/f.cgi", false, true, false},
        {"form to post without a target", {true, true, true}, "a=1", "", false, true, true},
        {"empty POST body is a form", {false, true, true}, "", "http://srv/f.cgi", false, true, true},
        {"link the page refused", {false, true, true}, std::nullopt, "http://srv/a.htm", true, false, true},
        {"form the page refused", {true, true, false}, "a=1", "http://srv/f.cgi", true, true, true},
    };
    for (const Case& c : cases) {
        TWebWrapperRules rules;
        apply(rules, c.switches);
        const TNavigationResult r = rules.BeforeNavigate({c.url, c.post, c.alreadyCancelled});
        EXPECT_EQ(r.Submitted, c.submitted) << c.what;
        EXPECT_EQ(r.Cancel, c.cancel) << c.what;
        EXPECT_FALSE(r.InnerPost) << c.what;
        EXPECT_TRUE(r.NavigateTo.empty()) << c.what;
        if (!c.submitted) {
            EXPECT_EQ(rules.CollectedText(), "0") << c.what;
        }
    }
}

// What a shown page may lead to, whatever way it asks.
TEST(WebRules, APageMayOpenWebPagesAndTheWrappersOwnOnly) {
    testenv::TempDir dir;
    const std::string own = dir.file("own page.htm");
    struct Case {
        std::string url;
        bool untrusted, local;   // allowed for a server's page, for the program's own pages
    } const cases[] = {
        {"http://srv/a.htm", true, true},
        {"HTTPS://srv:8443/a?b#c", true, true},
        {"about:blank", true, true},
        {orlo::FileUrl(own), true, true},   // the wrapper's own page
        {own, true, true},
        {"file:///etc/passwd", false, true},
        {"file://localhost/etc/passwd", false, true},
        {"/etc/passwd", false, true},
        {"FILE:/etc/passwd", false, true},
        {"file://elsewhere/etc/passwd", false, false},
        {"data:text/html,<p>x</p>", false, false},
        {"javascript:alert(1)", false, false},
        {"qrc:/orloqt/formcapture.js", false, false},
        {"view-source:http://srv/", false, false},
        {"blob:http://srv/1234", false, false},
        {"ftp://srv/a.htm", false, false},
        {"chrome://settings", false, false},
        {"about:srcdoc", false, false},
        {"about:blank#x", false, false},
        {"httpx://srv/", false, false},
        {"http", false, false},
        {"srv/relative.htm", false, false},
        {"", false, false},
    };
    for (const bool local : {false, true}) {
        TWebWrapperRules rules;
        rules.LocalPagesAllowed = local;
        rules.AddOwnPage(own);
        for (const Case& c : cases) EXPECT_EQ(rules.PageMayOpen(c.url), local ? c.local : c.untrusted) << c.url;
        rules.ReleasePages();
        EXPECT_EQ(rules.PageMayOpen(own), local) << "a released page is no longer the wrapper's";
    }
}

// A page's request beyond its bounds: a link is neither followed nor fetched
// for the producer, a form reaches the owner but is sent by nobody. The
// program's own navigations are not held to the page's bounds.
TEST(WebRules, APageIsHeldToItsBoundsHoweverItAsks) {
    testenv::IsolatedMachine machine;
    testenv::writeFile(machine.dir().file("local.htm"), "<p>Local secret</p>");
    const std::string file = orlo::FileUrl(machine.dir().file("local.htm"));
    struct Case {
        const char* what;
        std::string url;
        std::optional<std::string> post;
        bool fromOwner;
        bool submitted, cancel, produced;
    } const cases[] = {
        {"a link to a file", file, std::nullopt, false, false, true, false},
        {"a link to a data page", "data:text/html,x", std::nullopt, false, false, true, false},
        {"a form to a file", file, "a=1"s, false, true, true, false},
        {"a form to a script", "javascript:x()", "a=1"s, false, true, true, false},
        {"the program's own load of a file", file, std::nullopt, true, false, true, true},
    };
    for (const Case& c : cases) {
        TWebWrapperRules rules;
        rules.DoDefPost = true;   // a form would be sent, by the wrapper itself
        int produced = 0;
        rules.SetFpp([&produced](const std::string& document) {
            ++produced;
            return document;
        });
        const TNavigationResult r = rules.BeforeNavigate({c.url, c.post, false, c.fromOwner});
        EXPECT_EQ(r.Submitted, c.submitted) << c.what;
        EXPECT_EQ(r.Cancel, c.cancel) << c.what;
        EXPECT_FALSE(r.InnerPost) << c.what;
        EXPECT_EQ(produced, c.produced ? 1 : 0) << c.what;
        EXPECT_EQ(!r.NavigateTo.empty(), c.produced) << c.what;
    }
}

TEST(WebRules, CollectsTheTargetAndTheDecodedFieldsSeparatedByEot) {
    struct Case {
        const char* what;
        const char* url;
        std::string body;
        std::string collected;
    } const cases[] = {
        {"fields decoded", "http://srv/auth.cgi?s=1", "user=a+b&pw=%26x%3D",
         "_ORLO_URL_=http://srv/auth.cgi?s=1\4user=a b\4pw=&x=\4"},
        {"the target is decoded too", "http://srv/a+b%20c.cgi", "k=v", "_ORLO_URL_=http://srv/a b c.cgi\4k=v\4"},
        {"a page's own target field is left out", "http://srv/f.cgi", "_ORLO_URL_=http://evil/&a=1&_orlo_url_=x",
         "_ORLO_URL_=http://srv/f.cgi\4a=1\4"},
        {"empty parts are dropped", "http://srv/f.cgi", "&&a=1&&b&", "_ORLO_URL_=http://srv/f.cgi\4a=1\4b\4"},
        {"no target without a URL", "", "a=1", "a=1\4"},
        {"an empty form", "http://srv/f.cgi", "", "_ORLO_URL_=http://srv/f.cgi\4"},
    };
    for (const Case& c : cases) {
        TWebWrapperRules rules;
        EXPECT_EQ(rules.CollectedText(), "0");
        EXPECT_TRUE(rules.BeforeNavigate({c.url, c.body}).Submitted) << c.what;
        EXPECT_EQ(rules.CollectedText(), c.collected) << c.what;
    }
}

TEST(WebRules, XsbFieldNumbersTheSubmission) {
    struct Case {
        std::string body;
        int number;
    } const cases[] = {
        {"a=1&XSB12=anything", 12},
        {"xsb7", 7},           // any case, no value
        {"Xsb-3=1", -3},
        {"XSBx=1", 0},         // not a number
        {"XSB=1", 0},
        {"XSB99999999999=1", 0},  // too big
        {"XSB1=a&XSB2=b", 2},  // the last one counts
        {"XSB%34%32=1", 42},   // decoded first
        {"a=XSB5", 0},         // only a field name counts
    };
    for (const Case& c : cases) {
        TWebWrapperRules rules;
        EXPECT_EQ(rules.SubmissionNumber(), 0);
        rules.BeforeNavigate({"http://srv/f.cgi", c.body});
        EXPECT_EQ(rules.SubmissionNumber(), c.number) << c.body;
    }
}

TEST(WebRules, LinksLeaveTheLastSubmissionAlone) {
    TWebWrapperRules rules;
    rules.BeforeNavigate({"http://srv/f.cgi", "XSB4=1"s});
    const std::string collected = rules.CollectedText();
    rules.BeforeNavigate({"http://srv/next.htm", std::nullopt});
    EXPECT_EQ(rules.CollectedText(), collected);
    rules.BeforeNavigate({"http://srv/f.cgi", "a=1"s});  // a form without a number keeps the last one
    EXPECT_EQ(rules.SubmissionNumber(), 4);
    EXPECT_EQ(rules.CollectedText(), "_ORLO_URL_=http://srv/f.cgi\4a=1\4");
}

TEST(WebRules, SetContentsShowsTrimmedLinesOrFollowsGoHref) {
    struct Case {
        std::string text;
        bool goHref;
        std::string shown;  // the URL or the HTML
    } const cases[] = {
        {"  GO_HREF#http://srv/page.htm  \r\n", true, "http://srv/page.htm"},
        {"\tGO_HREF#  http://srv/x", true, "http://srv/x"},
        {"GO_HREF#", true, "about:blank"},
        {"GO_HREF#http://a\nGO_HREF#http://b", false, "GO_HREF#http://a\nGO_HREF#http://b"},
        {"x GO_HREF#http://a", false, "x GO_HREF#http://a"},
        {"  <p>a</p>  \r\n\t<p>b</p>\r<i>c</i>\n", false, "<p>a</p>\n<p>b</p>\n<i>c</i>"},
        {"", false, ""},
    };
    for (const Case& c : cases) {
        TWebWrapperRules rules;
        const TContentsResult r = rules.SetContents(c.text);
        EXPECT_EQ(r.GoHref, c.goHref) << c.text;
        EXPECT_EQ(c.goHref ? r.Url : r.Html, c.shown) << c.text;
    }
}

TEST(WebRules, SetContentsRunsTheProducerFirstWhileItIsEnabled) {
    TWebWrapperRules rules;
    rules.SetFpp([](const std::string& doc) { return doc == "go" ? "GO_HREF#http://srv/p"s : "[" + doc + "]"; });
    EXPECT_EQ(rules.SetContents(" a ").Html, "[ a ]");
    EXPECT_EQ(rules.SetContents("go").Url, "http://srv/p");
    rules.SetFppEnabled(false);
    EXPECT_EQ(rules.SetContents(" a ").Html, "a");
}

TEST(WebRules, SetContentsFileReadsTheFileOrFails) {
    testenv::TempDir dir;
    testenv::writeFile(dir.file("page.htm"), " <b>x</b> \nGO_HREF#y\n");
    TWebWrapperRules rules;
    const auto shown = rules.SetContentsFile(dir.file("page.htm"));
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->Html, "<b>x</b>\nGO_HREF#y");
    EXPECT_FALSE(rules.SetContentsFile(dir.file("missing.htm")));
    EXPECT_FALSE(rules.SetContentsFile(dir.path()));
}

TEST(WebRules, ContextMenu) {
    struct Case {
        bool enabled, hasMenu;
        TPopupChoice choice;
    } const cases[] = {
        {false, false, TPopupChoice::BrowserMenu},
        {false, true, TPopupChoice::BrowserMenu},
        {true, true, TPopupChoice::OwnMenu},
        {true, false, TPopupChoice::NoMenu},
    };
    for (const Case& c : cases) {
        TWebWrapperRules rules;
        rules.PopupEnabled = c.enabled;
        EXPECT_EQ(rules.ShowPopup(c.hasMenu), c.choice) << c.enabled << c.hasMenu;
    }
}

TEST(WebRules, LoadOfNothingShowsABlankPage) {
    EXPECT_EQ(TWebWrapperRules::LoadUrl(""), "about:blank");
    EXPECT_EQ(TWebWrapperRules::LoadUrl("http://srv/"), "http://srv/");
}

}  // namespace
