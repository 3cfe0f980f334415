// One client connection as the network loop drives it, never blocking: each
// step takes what the socket holds now (the request header, its payload),
// gives what it accepts (the answer), or reads and discards what the client
// still sends before closing, and says where the connection then stands.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include <zcodec/commheader.h>
#include <zplatform/fd.h>

#include "dispatcher.h"

namespace zentserver {

using Clock = std::chrono::steady_clock;

enum class Phase {
    Header,      // the 256 header bytes are arriving
    Payload,     // the payload the header announced is arriving
    Handling,    // complete; a worker runs it (or it waits for one)
    Delaying,    // the answer is ready and held back as configured
    Answering,   // the answer is leaving
    Draining,    // answered; what the client still sends is read and dropped
    Closed,      // done; removed by the loop
};

enum class Step {
    Waiting,   // the socket has nothing more for now
    Done,      // the phase's bytes are complete
    Closed,    // the client ended the connection
    Failed,    // the connection broke
};

const char* describe(Step step);

struct Connection {
    Connection(platform::UniqueFd socket, std::string peerAddress, Clock::time_point now);

    // At most about a mebibyte per call, so one fast peer cannot keep the
    // loop from the others.
    Step readHeader();
    Step readPayload();
    Step writeAnswer();
    Step drain();

    // "after 3 of 256 header bytes", "after 10 of 70000 payload bytes".
    std::string progressText() const;

    platform::UniqueFd fd;
    std::string peer;
    Phase phase = Phase::Header;
    Clock::time_point opened;
    Clock::time_point lastProgress;   // the last byte read or written
    Clock::time_point deadline;       // the end of the current phase
    std::uint32_t watched = 0;        // the events the loop waits for (0: none)

    std::uint8_t image[encdec::kCommHeaderSize] = {};
    std::size_t headerBytes = 0;
    encdec::TCommHeader request;      // valid from the payload phase on
    Bytes payload;
    Answer answer;
    std::size_t answerSent = 0;
};

}  // namespace zentserver
