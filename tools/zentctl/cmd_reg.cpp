#include "commands.h"

namespace zentctl {

int cmdReg(const Args&) { return usageError("'reg' is not available yet"); }

}  // namespace zentctl
