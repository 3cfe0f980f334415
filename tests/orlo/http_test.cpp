#include <orlo/orlofunction.h>

#include "http_server_process.h"
#include "test_env.h"

#include <gtest/gtest.h>

#include <exception>
#include <memory>
#include <string>

using namespace std::string_literals;

namespace {

using List = TOrloFunction::StringList;

class Http : public orlotest::HttpServerTest {
protected:
    // A body served verbatim by the test server: every byte escaped in the path.
    static std::string bodyUrl(const std::string& bytes) {
        static constexpr char hex[] = "0123456789ABCDEF";
        std::string path = "/body/";
        for (const unsigned char c : bytes) path += {'%', hex[c >> 4], hex[c & 15]};
        return url(path);
    }

    // Requests to 127.0.0.1 never go through a proxy configured on the machine.
    testenv::ScopedEnv noProxy{"no_proxy", "*"};
    testenv::ScopedEnv noProxyUpper{"NO_PROXY", "*"};
};

bool hasLine(const std::string& text, const std::string& line) {
    return ("\n" + text).find("\n" + line + "\n") != std::string::npos;
}

TEST_F(Http, PostSendsAnEncodedFormToThePortAndQueryOfTheUrl) {
    std::string response;
    int code = -1;
    const List names{"user", "note", "empty"};
    const List values{"a b&c", "x\n"};  // "empty" has no value
    ASSERT_TRUE(TOrloFunction::PostData(url("/echo?session=5"), names, values, &code, &response,
                                        "http://127.0.0.1/form.htm"))
        << response;
    EXPECT_EQ(code, -1);  // untouched on success
    EXPECT_TRUE(hasLine(response, "method=POST")) << response;
    EXPECT_TRUE(hasLine(response, "target=/echo?session=5")) << response;
    EXPECT_TRUE(hasLine(response, "body=user=a+b%26c&note=x%0A&empty=")) << response;
    EXPECT_TRUE(hasLine(response, "type=application/x-www-form-urlencoded")) << response;
    EXPECT_TRUE(hasLine(response, "agent=ORLO Vestra")) << response;
    EXPECT_TRUE(hasLine(response, "referer=http://127.0.0.1/form.htm")) << response;
    EXPECT_TRUE(hasLine(response, "version=HTTP/1.0")) << response;
    EXPECT_TRUE(hasLine(response, "accept=<none>")) << response;
}

TEST_F(Http, GetSendsTheQueryWithoutBodyOrContentType) {
    std::string response;
    ASSERT_TRUE(TOrloFunction::GetHttpData(url("/echo?a=1&b=x%20y"), nullptr, &response, "")) << response;
    EXPECT_TRUE(hasLine(response, "method=GET")) << response;
    EXPECT_TRUE(hasLine(response, "target=/echo?a=1&b=x%20y")) << response;
    EXPECT_TRUE(hasLine(response, "body=")) << response;
    EXPECT_TRUE(hasLine(response, "type=<none>")) << response;
    EXPECT_TRUE(hasLine(response, "referer=<none>")) << response;  // empty referrer: none sent
    EXPECT_TRUE(hasLine(response, "agent=ORLO Vestra")) << response;
    EXPECT_TRUE(hasLine(response, "version=HTTP/1.0")) << response;
}

TEST_F(Http, RedirectIsFollowed) {
    std::string response;
    ASSERT_TRUE(TOrloFunction::GetHttpData(url("/redirect?to=here"), nullptr, &response, "")) << response;
    EXPECT_TRUE(hasLine(response, "target=/echo?to=here")) << response;
}

TEST_F(Http, FirstWordErrorInAnyCaseFails) {
    const struct {
        std::string body;
        bool ok;
    } cases[] = {
        {"ERROR denied", false},
        {"error", false},
        {" \r\n\tError\tcard refused", false},
        {"\x01" "Error x", false},  // control characters are trimmed like blanks
        {"OK Error", true},
        {"Errors found", true},
        {"Error: refused", true},  // the first word is "Error:"
        {"", true},
        {" \r\n ", true},
        {"  OK 12.50 \r\n", true},
    };
    for (const auto& c : cases) {
        for (const bool post : {true, false}) {
            std::string response = "before";
            int code = -1;
            const bool ok = post ? TOrloFunction::PostData(bodyUrl(c.body), {"a"}, {"b"}, &code, &response, "")
                                 : TOrloFunction::GetHttpData(bodyUrl(c.body), &code, &response, "");
            EXPECT_EQ(ok, c.ok) << '"' << c.body << "\" post " << post;
            EXPECT_EQ(response, c.ok ? c.body : "before") << '"' << c.body << "\" post " << post;
            EXPECT_EQ(code, -1);
        }
    }
}

TEST_F(Http, ZeroByteEndsOnlyItsOwn99ByteChunk) {
    const std::string head(50, 'A');
    const std::string body = head + "\0"s + std::string(48, 'h') + "tail"s;  // the second chunk is "tail"
    std::string response;
    ASSERT_TRUE(TOrloFunction::GetHttpData(bodyUrl(body), nullptr, &response, ""));
    EXPECT_EQ(response, head + "tail");
}

TEST_F(Http, FailureAppendsTheCodeToTheResponse) {
    const std::string refused = "http://127.0.0.1:" + std::to_string(testenv::freeLocalPort()) + "/echo";
    const struct {
        std::string name, url;
        int code;
    } cases[] = {
        {"refused", refused, 7},                   // CURLE_COULDNT_CONNECT
        {"scheme", "ftp://127.0.0.1/x", 1},        // CURLE_UNSUPPORTED_PROTOCOL
        {"too large", url("/big"), 63},            // CURLE_FILESIZE_EXCEEDED
    };
    for (const auto& c : cases) {
        for (const bool post : {true, false}) {
            std::string response = "prefix:";
            int code = -1;
            const bool ok = post ? TOrloFunction::PostData(c.url, {"a"}, {"b"}, &code, &response, "")
                                 : TOrloFunction::GetHttpData(c.url, &code, &response, "");
            EXPECT_FALSE(ok) << c.name;
            EXPECT_EQ(code, c.code) << c.name;
            EXPECT_EQ(response, "prefix:" + std::to_string(c.code)) << c.name;
        }
    }
    // Both outputs may be left out.
    EXPECT_FALSE(TOrloFunction::GetHttpData(refused, nullptr, nullptr, ""));
    EXPECT_FALSE(TOrloFunction::PostData(refused, {}, {}, nullptr, nullptr, ""));
}

TEST(HttpBody, ReadingRuleTakesEach99ByteChunkUpToItsZero) {
    const std::string chunk(99, 'c');
    const struct {
        std::string body, text;
    } cases[] = {
        {"", ""},
        {"ab\0cd"s, "ab"},
        {chunk + "d", chunk + "d"},
        {chunk + "\0dd"s + "x", chunk},            // zero opens the second chunk
        {"\0"s + chunk, chunk.substr(0, 1)},       // the first chunk is empty, the 100th byte remains
        {std::string(250, 'e'), std::string(250, 'e')},
    };
    for (const auto& c : cases) EXPECT_EQ(TOrloFunction::IEReadFile(c.body), c.text);
}

}  // namespace
