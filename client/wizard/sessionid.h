// The session a NEWSESSION answer opens.
#pragma once

#include <cstdint>

#include <zentcore/serverrequest.h>

namespace zentclient {

// The first four bytes of the answer as a big-endian number; 0 when the
// server did not answer or sent fewer than four bytes.
std::int32_t SessionIdOf(const zentcore::ServerAnswer& answer);

}  // namespace zentclient
