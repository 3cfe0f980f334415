// From one request (header and packed payload) to one answer: screens the
// header, unpacks the payload within the limits, runs the command, and packs
// the answer with the transport type the command's clients expect (or the
// configured one). No sockets here: the network side and the fuzz target
// both drive it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include <zcodec/commheader.h>

#include "config.h"
#include "server_state.h"

namespace zentserver {

class Spool;

struct Answer {
    bool silent = false;      // close without answering
    int delayMs = 0;          // wait this long before answering (or closing)
    Bytes wire;               // answer header and packed payload
    std::string outcome;      // one line for the request log
};

class Dispatcher {
public:
    // spool may be null: jobs are then accepted without being stored.
    Dispatcher(const ServerConfig& config, ServerState& state, Spool* spool);

    const ServerConfig& config() const { return config_; }

    // An answer when the header cannot start a request (malformed, or a
    // payload over the limit): it is sent without reading the payload.
    std::optional<Answer> screenHeader(const encdec::TCommHeader& header) const;

    // The answer to a screened header and its whole packed payload; the
    // payload is taken so that unpacking can reuse its memory.
    Answer handle(const encdec::TCommHeader& header, Bytes packedPayload, const std::string& peer);

    // The whole request as raw bytes (header, then at least Size bytes).
    // Short input gives a silent answer, as a connection closing early would.
    Answer handleBytes(const std::uint8_t* data, std::size_t size, const std::string& peer);

    // The transport type an answer to the command is packed with by default.
    static encdec::TransportType defaultTransport(const std::string& command);

private:
    Answer makeAnswer(const encdec::TCommHeader& request, encdec::TransportType transport, const Bytes& plain,
                      const ErrorReply& error, std::string outcome) const;
    Answer errorAnswer(const encdec::TCommHeader& request, const ErrorReply& error, std::string outcome) const;

    const ServerConfig& config_;
    ServerState& state_;
    Spool* spool_;
};

}  // namespace zentserver
