#include "render_run.h"

#include <zentcore/renderthread.h>
#include <zentcore/settings.h>
#include <zplatform/messaging.h>
#include <zplatform/system.h>

#include <iostream>
#include <optional>

namespace zentctl {

std::optional<std::string> storedProcessor() {
    return zentcore::ResolveProcessorPath(
        [] {
            std::cerr << "zentctl: no PostScript processor: PSProcessor in HKLM\\" << zentcore::kClientKey
                      << " names no file (set it with: zentctl reg set HKLM \"" << zentcore::kClientKey
                      << "\" PSProcessor " << zentcore::kProposedProcessor << ")\n";
            return std::optional<std::string>();
        },
        false);
}

std::optional<int> runRender(const std::string& commandLine, const zentcore::RenderRequest& request, int pages,
                             unsigned message) {
    std::optional<platform::Message> done;
    const platform::WindowHandle window = platform::registerWindow([&](const platform::Message& m) { done = m; });
    const std::string_view ext = zentcore::PageExtension(request);
    {
        zentcore::RenderThread thread(commandLine, window, message);
        thread.resume();
        int reported = 0;
        while (!done) {
            thread.waitFor(100);
            platform::pumpMessages();
            const int ready = zentcore::PagesReady(request.pagePrefix, ext, pages, done.has_value());
            if (ready > reported && pages > 0) {
                reported = ready;
                std::cerr << zentcore::PagesReadyText(ready, pages) << "\n";
            }
        }
    }
    platform::unregisterWindow(window);
    if (zentcore::HandleRenderCompletion(*done) != zentcore::RenderCompletion::Finished) return std::nullopt;
    int found = 0;
    while (platform::fileExists(zentcore::PageFile(request.pagePrefix, found + 1, ext))) ++found;
    return found;
}

}  // namespace zentctl
