// The rendering step zentctl's render and export-html share: the processor
// from the settings, the client's command line, its render thread.
#pragma once

#include <zentcore/render.h>

#include <optional>
#include <string>

namespace zentctl {

// The stored processor; nullopt after saying how to set it (no window here
// to ask with).
std::optional<std::string> storedProcessor();

// Runs the command line on a render thread, reporting "Page k of n" on
// stderr as pages become ready. The number of page files found afterwards,
// or nullopt when the processor could not be run or waited for.
std::optional<int> runRender(const std::string& commandLine, const zentcore::RenderRequest& request, int pages,
                             unsigned message);

}  // namespace zentctl
