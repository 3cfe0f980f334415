#include <zentcore/serverrequest.h>

namespace zentcore {

encdec::StringList ServerAnswer::lines() const {
    encdec::StringList list;
    if (thread) thread->GetAnswerAsStrings(list);
    return list;
}

std::string_view ServerAnswer::text() const {
    const std::uint8_t* bytes = thread ? thread->GetAnswerAsPointer() : nullptr;
    if (!bytes) return {};
    return {reinterpret_cast<const char*>(bytes), std::size_t(thread->GetAnswerLength())};
}

ServerAnswer AskServer(const std::string& command, const std::string& data, const std::string& server,
                       platform::WindowHandle owner, encdec::TransportType transport, std::int32_t session,
                       const std::string& answerFile) {
    ServerAnswer answer;
    answer.thread = encdec::Communicate(command, data, server, owner, answer.result, transport, session, 0, answerFile);
    return answer;
}

}  // namespace zentcore
