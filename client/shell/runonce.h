// One-time start-up commands: the updater schedules a command here when it
// cannot replace a file in use; the client runs it at its next start, before
// anything else.
#pragma once

#include <zplatform/runonce.h>

namespace zentclient {

// The key in the machine hive that holds the pending commands.
using platform::kRunOnceKey;

// Runs every pending command in the key's order and waits for each; a copy
// command (platform::copyCommand) is carried out here, without a program, and
// its source removed once it is in place. A command
// is removed before it runs, so one that fails or hangs the client is never
// run twice; a command that cannot be removed (the hive is not writable for
// this user) stays for someone who can and is not run. Returns how many ran.
int RunPendingRunOnce();

}  // namespace zentclient
