// The page producer: tag syntax, what is left alone, and streaming.
#include <zentcore/pageproducer.h>

#include <gtest/gtest.h>

#include <string>

using namespace std::string_literals;
using zentcore::PageProducer;
using zentcore::PageTag;

namespace {

// Shows a tag as "[name|param|param=value...]"; the tag "keep" stays as written.
std::optional<std::string> show(const PageTag& tag) {
    if (tag.Name == "keep") return std::nullopt;
    std::string text = "[" + tag.Name;
    for (const auto& p : tag.Params) text += "|" + p.Name + (p.HasValue ? "=" + p.Value : "");
    return text + "]";
}

struct Case {
    std::string in, out;
};

const Case cases[] = {
    {"a<#x>b", "a[x]b"},
    {"<#docinfo Pages>", "[docinfo|Pages]"},
    {"<#t a b=1 c=\"two words\" d='x y' e=\"\">", "[t|a|b=1|c=two words|d=x y|e=]"},
    {"<#t\n  a\tb\r\n>", "[t|a|b]"},                      // blanks of any kind separate
    {"<#t q=\"a>b\">!", "[t|q=a>b]!"},                     // a quoted ">" does not end the tag
    {"<#t \"bare word\" x>", "[t|bare word|x]"},
    {"<#t it's=a\"b>", "[t|it's=a\"b]"},                   // quotes inside words are plain
    {"<#t a=\"open>rest", "<#t a=\"open>rest"},            // never closed: text
    {"<#>", "[]"},
    {"<#x><#y>", "[x][y]"},
    {"<<#x>", "<[x]"},
    {"a < b <b>c</b> <!-- <#x> -->", "a < b <b>c</b> <!-- [x] -->"},
    {"<#keep a=1>", "<#keep a=1>"},                       // the handler keeps it
    {"<#unclosed a", "<#unclosed a"},
    {"ends with <", "ends with <"},
    {"ends with <#", "ends with <#"},
    {"\xC3\xA9<#x>\xE9", "\xC3\xA9[x]\xE9"},
    {"", ""},
};

TEST(PageProducer, ReplacesTagsAndCopiesTheRest) {
    for (const Case& c : cases) EXPECT_EQ(PageProducer::Content(c.in, show), c.out) << c.in;
}

TEST(PageProducer, ChunksCutAnywhereGiveTheSameOutput) {
    for (const Case& c : cases) {
        for (size_t cut = 0; cut <= c.in.size(); ++cut) {
            PageProducer producer(show);
            std::string out;
            producer.Feed(std::string_view(c.in).substr(0, cut), out);
            producer.Feed(std::string_view(c.in).substr(cut), out);
            producer.Finish(out);
            EXPECT_EQ(out, c.out) << c.in << " cut at " << cut;
        }
        PageProducer producer(show);
        std::string out;
        for (const char ch : c.in) producer.Feed(std::string_view(&ch, 1), out);
        producer.Finish(out);
        EXPECT_EQ(out, c.out) << c.in << " byte by byte";
    }
}

TEST(PageProducer, HoldsBackOnlyATagsWorth) {
    // An unclosed tag followed by a large page: the page flows through and
    // the tags after the overlong one are still replaced.
    const std::string page(1 << 20, 'x');
    PageProducer producer(show);
    std::string out;
    producer.Feed("<#open \"never closed ", out);
    for (int i = 0; i < 16; ++i) producer.Feed(page.substr(i * (page.size() / 16), page.size() / 16), out);
    EXPECT_GE(out.size(), page.size() - PageProducer::MaxTagLength);
    producer.Feed("<#after>", out);
    producer.Finish(out);
    EXPECT_TRUE(out.ends_with("[after]"));
    EXPECT_EQ(out.size(), 21 + page.size() + 7);
}

TEST(PageProducer, HasWordMatchesOnlyBareParametersExactly) {
    std::vector<PageTag> tags;
    PageProducer::Content("<#t Pages Copies=2 \"Server\">", [&tags](const PageTag& tag) {
        tags.push_back(tag);
        return ""s;
    });
    ASSERT_EQ(tags.size(), 1u);
    EXPECT_EQ(tags[0].Source, "<#t Pages Copies=2 \"Server\">");
    EXPECT_TRUE(tags[0].HasWord("Pages"));
    EXPECT_TRUE(tags[0].HasWord("Server"));
    EXPECT_FALSE(tags[0].HasWord("pages"));
    EXPECT_FALSE(tags[0].HasWord("Copies"));
}

TEST(PageProducer, HtmlEscape) {
    EXPECT_EQ(zentcore::HtmlEscape("<a href=\"x\">&'</a>"), "&lt;a href=&quot;x&quot;&gt;&amp;&#39;&lt;/a&gt;");
    EXPECT_EQ(zentcore::HtmlEscape("plain \xC3\xA9 text"), "plain \xC3\xA9 text");
}

}  // namespace
