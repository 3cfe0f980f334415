// zentctl render FILE.ps --pages N [--color 0|1] --format bmp|png|jpeg
// [--dpi N] --out PREFIX [--dry-run]: the client's preview (bmp) or image
// rendering of a PostScript file, page k written to PREFIX k.ext.
#include "commands.h"
#include "render_run.h"

#include <zcodec/utilities.h>
#include <zentcore/renderthread.h>
#include <zentcore/settings.h>
#include <zplatform/registry.h>
#include <zplatform/system.h>

#include <iostream>

namespace zentctl {

namespace {

std::optional<int> wholeNumber(const std::string& option, const std::string& value, int& status) {
    const auto n = encdec::ParseInt(value);
    if (!n || encdec::Trim(value) != value || *n < 0) {
        status = usageError("'" + option + "' needs a whole number, not '" + value + "'");
        return std::nullopt;
    }
    return *n;
}

}  // namespace

int cmdRender(const Args& args) {
    zentcore::RenderRequest request;
    std::optional<int> pages, dpi;
    std::string format;
    bool dryRun = false, haveOut = false;
    std::vector<std::string> positional;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--dry-run") {
            dryRun = true;
            continue;
        }
        if (a.rfind("--", 0) != 0) {
            positional.push_back(a);
            continue;
        }
        if (i + 1 == args.size()) return usageError("'render': " + a + " needs a value");
        const std::string& value = args[++i];
        int status = 0;
        if (a == "--pages") {
            if (!(pages = wholeNumber(a, value, status))) return status;
        } else if (a == "--dpi") {
            if (!(dpi = wholeNumber(a, value, status))) return status;
            if (*dpi == 0) return usageError("'--dpi' must be above 0");
        } else if (a == "--color") {
            if (value != "0" && value != "1") return usageError("'--color' is 0 or 1, not '" + value + "'");
            request.colour = value == "1";
        } else if (a == "--format") {
            format = value;
        } else if (a == "--out") {
            request.pagePrefix = value;
            haveOut = true;
        } else {
            return usageError("'render': unknown option " + a);
        }
    }
    if (positional.size() != 1) return usageError("'render' needs one PostScript file");
    if (!pages) return usageError("'render' needs --pages N");
    if (!haveOut || request.pagePrefix.empty()) return usageError("'render' needs --out PREFIX");
    if (format == "bmp") {
        request.use = zentcore::RenderUse::Preview;
        if (dpi) return usageError("'--dpi' does not apply to bmp: the preview renders at 120 dpi");
    } else if (format == "png" || format == "jpeg") {
        request.use = zentcore::RenderUse::Image;
        request.format = format == "png" ? zentcore::ImageFormat::Png : zentcore::ImageFormat::Jpeg;
        request.dpi = dpi ? *dpi : zentcore::EmailDpi();
    } else {
        return usageError("'--format' is bmp, png or jpeg");
    }
    request.input = positional[0];
    if (!dryRun && !platform::fileExists(request.input)) {
        std::cerr << "zentctl: no file " << request.input << "\n";
        return 1;
    }
    const auto processor = storedProcessor();
    if (!processor) return 1;
    request.processor = *processor;
    // A dry run changes nothing, not even the stored templates.
    const std::string line =
        zentcore::BuildRenderCommandLine(request, !dryRun && platform::hiveWritable(platform::Hive::LocalMachine));
    if (dryRun) {
        std::cout << line << "\n";
        return 0;
    }
    const auto found = runRender(line, request, *pages, zentcore::kPreviewReadyMessage);
    if (!found) return 1;
    for (int k = 1; k <= *found; ++k)
        std::cout << zentcore::PageFile(request.pagePrefix, k, zentcore::PageExtension(request)) << "\n";
    if (*found < *pages) {
        std::cerr << "zentctl: the processor produced " << *found << " of " << *pages << " pages\n";
        return 1;
    }
    return 0;
}

}  // namespace zentctl
