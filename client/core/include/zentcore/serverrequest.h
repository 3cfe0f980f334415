// One request to a print server as the client's windows and tools make it:
// Communicate, and whether the server answered.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include <zcodec/clientthread.h>
#include <zcodec/commheader.h>

namespace zentcore {

struct ServerAnswer {
    encdec::TCommResult result;
    std::unique_ptr<encdec::TClientThread> thread;   // null when it did not finish

    // The exchange finished and the server reported no error. The answer may
    // be empty (a server with no printers lists none) and the return value 0
    // (a session id 0): each caller judges what it got.
    bool answered() const { return thread && result.ErrorCode == 0; }
    encdec::StringList lines() const;
    // The answer's bytes as they are held (no copy); empty without an answer.
    std::string_view text() const;
};

ServerAnswer AskServer(const std::string& command, const std::string& data, const std::string& server,
                       platform::WindowHandle owner, encdec::TransportType transport, std::int32_t session = 0,
                       const std::string& answerFile = {});

}  // namespace zentcore
