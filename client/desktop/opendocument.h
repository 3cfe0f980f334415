// Opening a file or address with the desktop's own handler. Every window
// that opens documents uses it, so it lives below all of them.
#pragma once

#include <string>

namespace zentclient {

// Starts the handler and returns at once; when it cannot be started or finds
// no program for the file, the user is told with the path.
void OpenWithDesktop(const std::string& pathOrUrl);

}  // namespace zentclient
