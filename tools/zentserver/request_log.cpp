#include "request_log.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <stdexcept>

#include "text_util.h"

namespace zentserver {

RequestLog::RequestLog(const std::string& path)
    : file_(path.empty() ? stderr : std::fopen(path.c_str(), "a")), owned_(!path.empty()) {
    if (!file_) throw std::runtime_error("cannot open the log file \"" + path + "\": " + std::strerror(errno));
}

RequestLog::~RequestLog() {
    if (owned_) std::fclose(file_);
}

void RequestLog::request(const std::string& peer, const std::string& command, std::int32_t session,
                         std::int64_t size, const std::string& outcome) {
    line(peer + " " + (command.empty() ? "-" : command) + " session=" + std::to_string(session) +
         " size=" + std::to_string(size) + " " + outcome);
}

void RequestLog::note(const std::string& text) { line(text); }

void RequestLog::line(const std::string& text) {
    std::string clean = utcTimeText(std::time(nullptr)) + " " + text;
    // Names from requests may carry any byte: one request stays one line.
    for (char& ch : clean)
        if (static_cast<unsigned char>(ch) < 0x20 || ch == '\x7f') ch = '?';
    std::lock_guard lock(mutex_);
    std::fputs(clean.c_str(), file_);
    std::fputc('\n', file_);
    std::fflush(file_);
}

}  // namespace zentserver
