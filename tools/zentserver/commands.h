// The command handlers behind the dispatcher. Each gets the unpacked request
// and gives the plain answer payload or an error; packing, delays and the
// answer header are the dispatcher's business.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <zcodec/commheader.h>

#include "config.h"
#include "request_body.h"
#include "server_state.h"

namespace zentserver {

class Spool;

struct Reply {
    Bytes payload;
    ErrorReply error;        // code 0: success
    std::string outcome;     // for the request log

    static Reply text(const std::string& text, std::string outcome);
    static Reply number(std::int32_t value, std::string outcome);   // 4 bytes, big-endian
    static Reply fail(const ErrorReply& error, std::string outcome);
};

struct CommandContext {
    const ServerConfig& config;
    ServerState& state;
    Spool* spool;                        // null: jobs are not stored
    const encdec::TCommHeader& header;
    const Bytes& payload;                // unpacked; empty for a command that reads body
    const RequestBody& body;             // the payload, read (deciphered) where needed
    const std::string& peer;             // "host:port"

    // The request's parameter text: the payload up to its first zero byte.
    std::string dataText() const;
    // The payload's EOT-separated fields (empty fields kept).
    std::vector<std::string> fields() const;
    // Whom lock-outs count against: the session's user, else the peer host.
    std::string who() const;
};

using CommandHandler = Reply (*)(CommandContext&);

Reply askPrinter(CommandContext& c);        // ASKPRN
Reply printerNames(CommandContext& c);      // GETPRNAMES
Reply newSession(CommandContext& c);        // NEWSESSION
Reply serverInfo(CommandContext& c);        // SVRINFO
Reply jobStatus(CommandContext& c);         // OJOBS

Reply pluginIcon(CommandContext& c);        // PLGICON
Reply pluginStage(CommandContext& c);       // PLGSTG
Reply pluginFunction(CommandContext& c);    // PLGFUNC
Reply checkIntruder(CommandContext& c);     // CHKINTR

Reply printFile(CommandContext& c);         // PRFILE
Reply confirmJob(CommandContext& c);        // CONFIRM

void appendBigEndian32(Bytes& out, std::int32_t value);

}  // namespace zentserver
