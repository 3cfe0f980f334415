// One HTTP request through libcurl, as the function component makes it.
#pragma once

#include <optional>
#include <string>

namespace orlo {

struct HttpRequest {
    std::string url;
    std::string referrer;             // none when empty
    std::optional<std::string> form;  // a urlencoded POST body; GET when absent
};

struct HttpOutcome {
    int code = 0;      // CURLcode; 0 when a response arrived, whatever its status
    std::string body;  // the raw response body
};

// Bodies above this size are refused (CURLE_FILESIZE_EXCEEDED), so a hostile
// server cannot exhaust memory.
constexpr size_t maxResponseBytes = 64u * 1024 * 1024;

HttpOutcome performHttp(const HttpRequest& request);

}  // namespace orlo
