#include "commands.h"

namespace zentctl {

int cmdSettings(const Args&) { return usageError("'settings' is not available yet"); }

}  // namespace zentctl
