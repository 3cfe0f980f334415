// zentctl export-html FILE.ps TARGET.htm --pages N [--color 0|1]
// [--disposition 0|1|2] [--doc NAME]: the wizard's HTML export without a
// window; prints the file the client would open.
#include "commands.h"
#include "render_run.h"

#include <zcodec/utilities.h>
#include <zentcore/htmlexport.h>
#include <zentcore/renderthread.h>
#include <zentcore/settings.h>
#include <zplatform/registry.h>
#include <zplatform/system.h>

#include <filesystem>
#include <iostream>

namespace zentctl {

int cmdExportHtml(const Args& args) {
    bool colour = true;
    std::optional<long> pages, disposition;
    std::optional<std::string> docName;
    std::vector<std::string> positional;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a.rfind("--", 0) != 0) {
            positional.push_back(a);
            continue;
        }
        if (i + 1 == args.size()) return usageError("'export-html': " + a + " needs a value");
        const std::string& value = args[++i];
        if (a == "--doc") {
            docName = value;
            continue;
        }
        const auto n = encdec::ParseInt(value);
        if (!n || encdec::Trim(value) != value || *n < 0)
            return usageError("'" + a + "' needs a whole number, not '" + value + "'");
        if (a == "--pages") {
            pages = *n;
        } else if (a == "--color") {
            if (*n > 1) return usageError("'--color' is 0 or 1");
            colour = *n == 1;
        } else if (a == "--disposition") {
            if (*n > 2) return usageError("'--disposition' is 0, 1 or 2");
            disposition = *n;
        } else {
            return usageError("'export-html': unknown option " + a);
        }
    }
    if (positional.size() != 2) return usageError("'export-html' needs a PostScript file and a target file");
    if (!pages) return usageError("'export-html' needs --pages N");
    const std::string& input = positional[0];
    const std::string& targetFile = positional[1];
    if (!platform::fileExists(input)) {
        std::cerr << "zentctl: no file " << input << "\n";
        return 1;
    }
    const zentcore::HtmlTarget target = zentcore::SplitHtmlTarget(targetFile);
    if (!target.dir.empty() && !platform::directoryExists(target.dir)) {
        std::cerr << "zentctl: no directory " << target.dir << "\n";
        return 1;
    }
    const auto processor = storedProcessor();
    if (!processor) return 1;

    zentcore::RenderRequest request;
    request.processor = *processor;
    request.colour = colour;
    request.use = zentcore::RenderUse::Image;
    request.format = zentcore::ImageFormat::Png;
    request.dpi = zentcore::HtmlDpi();
    request.pagePrefix = target.pagePrefix();
    request.input = input;
    const std::string line = zentcore::BuildRenderCommandLine(request, platform::hiveWritable(platform::Hive::LocalMachine));
    const auto found = runRender(line, request, int(*pages), zentcore::kHtmlReadyMessage);
    if (!found) return 1;
    if (*found == 0 || *pages == 0) {
        std::cerr << "zentctl: " << zentcore::kNoImagesToExportMessage << "\n";
        return 1;
    }

    const auto plan = zentcore::PlanHtmlExport(
        target, int(*pages), disposition ? zentcore::HtmlDispositionFromSetting(*disposition) : zentcore::StoredHtmlDisposition(),
        docName ? *docName : std::filesystem::path(input).filename().string());
    if (!zentcore::WriteHtmlExport(plan)) return 1;
    if (!plan.open.empty()) std::cout << plan.open << "\n";
    return 0;
}

}  // namespace zentctl
