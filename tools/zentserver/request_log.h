// One line per request: time (UTC), peer, command, session, payload size and
// what became of it. Written to a file (appended) or to stderr; lines from
// concurrent connections never interleave.
#pragma once

#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>

namespace zentserver {

class RequestLog {
public:
    // Empty path: stderr. Raises std::runtime_error when the file cannot be opened.
    explicit RequestLog(const std::string& path);
    ~RequestLog();
    RequestLog(const RequestLog&) = delete;
    RequestLog& operator=(const RequestLog&) = delete;

    void request(const std::string& peer, const std::string& command, std::int32_t session, std::int64_t size,
                 const std::string& outcome);
    void note(const std::string& text);

private:
    void line(const std::string& text);

    std::FILE* file_;
    bool owned_;
    std::mutex mutex_;
};

}  // namespace zentserver
