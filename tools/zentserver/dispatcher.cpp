#include "dispatcher.h"

#include <zcodec/byteorder.h>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <map>

#include "commands.h"
#include "packing.h"

namespace zentserver {

namespace {

struct CommandEntry {
    CommandHandler handler;
    encdec::TransportType transport;   // what clients expect the answer packed with
    // The handler reads its payload through the context's body, so an
    // enciphered payload is deciphered only where (and when) it is read.
    bool readsBody = false;
};

const std::map<std::string, CommandEntry>& commandTable() {
    static const std::map<std::string, CommandEntry> table = {
        {"ASKPRN", {askPrinter, encdec::ttNone}},
        {"GETPRNAMES", {printerNames, encdec::ttNone}},
        {"NEWSESSION", {newSession, encdec::ttEncrypt}},
        {"SVRINFO", {serverInfo, encdec::ttEncrypt}},
        {"PLGICON", {pluginIcon, encdec::ttNone}},
        {"PLGSTG", {pluginStage, encdec::ttNone}},
        {"PLGFUNC", {pluginFunction, encdec::ttNone}},
        {"CHKINTR", {checkIntruder, encdec::ttEncrypt}},
        {"PRFILE", {printFile, encdec::ttEncryptDecompress, true}},
        {"CONFIRM", {confirmJob, encdec::ttNone}},
        {"OJOBS", {jobStatus, encdec::ttEncrypt}},
    };
    return table;
}

// Why the header cannot be a request of this protocol, or the empty text.
std::string headerProblem(const encdec::TCommHeader& h) {
    const std::uint8_t* image = h.GetData();
    // The command: printable characters padded with spaces, then a zero byte.
    if (image[31] != 0) return "command field not terminated";
    bool ended = false;
    for (int i = 0; i < 31; ++i) {
        if (image[i] == 0) ended = true;
        else if (ended || image[i] < 0x20 || image[i] > 0x7e) return "command field holds other bytes";
    }
    if (h.Command.empty()) return "no command";
    if (encdec::GetBigEndian32(image + 32) < encdec::kCommHeaderSize) return "length field below the header size";
    const int transport = image[52] << 8 | image[53];
    if (transport > encdec::ttEncryptDecompress) return "unknown transport type " + std::to_string(transport);
    return "";
}

}  // namespace

Dispatcher::Dispatcher(const ServerConfig& config, ServerState& state, Spool* spool)
    : config_(config), state_(state), spool_(spool) {}

encdec::TransportType Dispatcher::defaultTransport(const std::string& command) {
    auto it = commandTable().find(command);
    return it == commandTable().end() ? encdec::ttNone : it->second.transport;
}

Answer Dispatcher::makeAnswer(const encdec::TCommHeader& request, encdec::TransportType transport,
                              const Bytes& plain, const ErrorReply& error, std::string outcome) const {
    const Bytes packed = plain.empty() ? Bytes{} : packPayload(transport, plain);
    encdec::TCommHeader h;
    h.SetCommand(request.Command);
    h.SetVersion(encdec::kProtocolVersion);
    h.SetEnccmp(transport);
    h.SetSize(std::int32_t(packed.size()));
    h.SetUncSize(transport == encdec::ttCompress || transport == encdec::ttCompressEncrypt ? std::int32_t(plain.size())
                                                                                           : 0);
    h.SetTime(std::int32_t(std::time(nullptr)));
    h.SetSession(request.Session);
    h.SetAckError(error.code);
    h.SetAckErrMsg(error.text.substr(0, 199));

    Answer a;
    a.wire.resize(encdec::kCommHeaderSize + packed.size());
    std::memcpy(a.wire.data(), h.GetData(), encdec::kCommHeaderSize);
    std::copy(packed.begin(), packed.end(), a.wire.begin() + encdec::kCommHeaderSize);
    a.outcome = std::move(outcome);
    if (error.code != 0) a.outcome = "error " + std::to_string(error.code) + ": " + a.outcome;
    return a;
}

Answer Dispatcher::errorAnswer(const encdec::TCommHeader& request, const ErrorReply& error,
                               std::string outcome) const {
    return makeAnswer(request, encdec::ttNone, {}, error, std::move(outcome));
}

std::optional<Answer> Dispatcher::screenHeader(const encdec::TCommHeader& header) const {
    const std::string problem = headerProblem(header);
    if (!problem.empty()) return errorAnswer(header, config_.errors.badRequest, "bad header: " + problem);
    if (header.Size > config_.maxRequestBytes)
        return errorAnswer(header, config_.errors.tooLarge,
                           "payload of " + std::to_string(header.Size) + " bytes over the limit of " +
                               std::to_string(config_.maxRequestBytes));
    return std::nullopt;
}

Answer Dispatcher::handle(const encdec::TCommHeader& header, Bytes packedPayload, const std::string& peer) {
    if (auto refused = screenHeader(header)) return *refused;
    const CommandOptions& options = config_.optionsFor(header.Command);
    const auto entry = commandTable().find(header.Command);
    const encdec::TransportType transport =
        options.transport.value_or(entry == commandTable().end() ? encdec::ttNone : entry->second.transport);

    Answer answer;
    if (options.silent) {
        answer.silent = true;
        answer.outcome = "silent (configured)";
    } else if (options.error) {
        answer = errorAnswer(header, *options.error, "configured error");
    } else if (options.answer) {
        answer = makeAnswer(header, transport, *options.answer, {}, "configured answer");
    } else if (header.Version < config_.minClientVersion) {
        answer = errorAnswer(header, config_.errors.clientTooOld,
                             "client version " + std::to_string(header.Version) + " too old");
    } else if (entry == commandTable().end()) {
        answer = errorAnswer(header, config_.errors.unknownCommand, "unknown command");
    } else {
        const Unpacked request = unpackPayload(header.Enccmp, std::move(packedPayload), config_.maxUnpackedBytes,
                                               entry->second.readsBody);
        if (request.status != UnpackStatus::Ok) {
            answer = errorAnswer(header, request.status == UnpackStatus::TooLarge ? config_.errors.tooLarge
                                                                                 : config_.errors.badRequest,
                                 std::string("payload refused: ") + describe(request.status));
        } else {
            const RequestBody body = request.enciphered ? RequestBody(*request.enciphered) : RequestBody(request.data);
            CommandContext context{config_, state_, spool_, header, request.data, body, peer};
            const Reply reply = entry->second.handler(context);
            answer = makeAnswer(header, transport, reply.payload, options.answerError.value_or(reply.error),
                                reply.outcome);
        }
    }
    answer.delayMs = options.delayMs;
    return answer;
}

Answer Dispatcher::handleBytes(const std::uint8_t* data, std::size_t size, const std::string& peer) {
    if (size < std::size_t(encdec::kCommHeaderSize)) {
        Answer a;
        a.silent = true;
        a.outcome = "dropped: connection closed inside the header";
        return a;
    }
    const encdec::TCommHeader header(data, encdec::kCommHeaderSize);
    if (auto refused = screenHeader(header)) return *refused;
    const std::size_t available = size - encdec::kCommHeaderSize;
    if (available < std::size_t(header.Size)) {
        Answer a;
        a.silent = true;
        a.outcome = "dropped: payload truncated at " + std::to_string(available) + " of " +
                    std::to_string(header.Size) + " bytes";
        return a;
    }
    return handle(header, Bytes(data + encdec::kCommHeaderSize, data + encdec::kCommHeaderSize + header.Size), peer);
}

}  // namespace zentserver
