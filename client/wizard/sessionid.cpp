#include "wizard/sessionid.h"

namespace zentclient {

std::int32_t SessionIdOf(const zentcore::ServerAnswer& answer) {
    if (!answer.answered() || answer.thread->GetAnswerLength() < 4) return 0;
    const std::uint8_t* bytes = answer.thread->GetAnswerAsPointer();
    return std::int32_t(std::uint32_t(bytes[0]) << 24 | std::uint32_t(bytes[1]) << 16 | std::uint32_t(bytes[2]) << 8 |
                        std::uint32_t(bytes[3]));
}

}  // namespace zentclient
