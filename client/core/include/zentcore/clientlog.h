// The client's own notes of what it does (jobs queued, handed to the wizard,
// start and end), written only when the machine value "DebugBackDll" is on,
// beside the exchange's log.
#pragma once

#include <string>

namespace zentcore {

void ClientLog(const std::string& text);

}  // namespace zentcore
