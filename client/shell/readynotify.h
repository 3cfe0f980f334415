// Tells a supervising service manager (or a test, or the start-up benchmark)
// that the client is up: "READY=1" to the datagram socket named by
// $NOTIFY_SOCKET, the way service managers expect it. Nothing happens when the
// variable is unset.
#pragma once

namespace zentclient {

void NotifyReady();

}  // namespace zentclient
