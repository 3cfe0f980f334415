// Percent-encoding and local file URLs of the web wrapper.
#include <orlo/urltext.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>

using namespace std::string_literals;

namespace {

TEST(WebUrl, DecodeTakesOnlyCompleteEscapes) {
    const struct {
        std::string in, out;
    } cases[] = {
        {"My%20Printer", "My Printer"}, {"a+b", "a+b"},       {"50%", "50%"},   {"%4", "%4"},
        {"%zz%41", "%zzA"},             {"%2541", "%41"},     {"%00x", "\0x"s}, {"%e9%C3%A9", "\xE9\xC3\xA9"},
    };
    for (const auto& c : cases) EXPECT_EQ(orlo::UrlDecode(c.in), c.out) << c.in;
}

TEST(WebUrl, EncodeRoundTripsEveryByte) {
    std::string all;
    for (int c = 0; c < 256; ++c) all += static_cast<char>(c);
    const std::string encoded = orlo::UrlEncode(all);
    EXPECT_EQ(encoded.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-._~%"),
              std::string::npos);
    EXPECT_EQ(orlo::UrlDecode(encoded), all);
    EXPECT_EQ(orlo::UrlEncode("a b/c#", "/"), "a%20b/c%23");
}

TEST(WebUrl, LocalPathOfFileUrlsAndPaths) {
    const struct {
        std::string url;
        std::optional<std::string> path;
    } cases[] = {
        {"file:///tmp/a%20b.htm", "/tmp/a b.htm"},
        {"FILE://localhost/tmp/x.htm?q=1#f", "/tmp/x.htm"},
        {"/tmp/a%20b.htm", "/tmp/a%20b.htm"},  // a path is taken as it is
        {"file://server/share/x.htm", std::nullopt},
        {"file://localhostx/x.htm", std::nullopt},
        {"file:relative.htm", std::nullopt},
        {"http://srv/x.htm", std::nullopt},
        {"about:blank", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(orlo::LocalPathOfUrl(c.url), c.path) << c.url;
    EXPECT_EQ(orlo::LocalPathOfUrl(orlo::FileUrl("/tmp/odd #?%dir/p.htm")), "/tmp/odd #?%dir/p.htm");
}

}  // namespace
