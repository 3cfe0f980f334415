#include "commands.h"

#include <algorithm>

#include <zcodec/byteorder.h>
#include <zcodec/utilities.h>

namespace zentserver {

std::string CommandContext::dataText() const {
    const auto end = std::find(payload.begin(), payload.end(), std::uint8_t(0));
    return std::string(payload.begin(), end);
}

std::vector<std::string> CommandContext::fields() const {
    encdec::StringList parts;
    encdec::split2(dataText(), std::string(1, '\x04'), parts);
    return {parts.begin(), parts.end()};
}

std::string CommandContext::who() const {
    if (auto user = state.userOf(header.Session)) return "user:" + *user;
    return "host:" + peer.substr(0, peer.rfind(':'));
}

Reply Reply::text(const std::string& text, std::string outcome) {
    return Reply{Bytes(text.begin(), text.end()), {}, std::move(outcome)};
}

Reply Reply::number(std::int32_t value, std::string outcome) {
    Reply r{{}, {}, std::move(outcome)};
    appendBigEndian32(r.payload, value);
    return r;
}

Reply Reply::fail(const ErrorReply& error, std::string outcome) { return Reply{{}, error, std::move(outcome)}; }

void appendBigEndian32(Bytes& out, std::int32_t value) {
    out.resize(out.size() + 4);
    encdec::PutBigEndian32(out.data() + out.size() - 4, std::uint32_t(value));
}

}  // namespace zentserver
