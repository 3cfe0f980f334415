// The processor's command line and the page files it writes.
#include <zentcore/render.h>

#include <zentcore/application.h>
#include <zplatform/prompter.h>
#include <zplatform/system.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace zentcore {

std::string_view PageExtension(const RenderRequest& request) {
    return request.use == RenderUse::Preview ? kPreviewExtension : ImageExtension(request.format);
}

namespace {

// The processor reads its output name as a pattern: a literal '%' is "%%".
std::string outputPattern(std::string_view prefix, std::string_view extension) {
    std::string out;
    for (char c : prefix) {
        out += c;
        if (c == '%') out += '%';
    }
    out += "%d";
    out += extension;
    return out;
}

}  // namespace

std::string BuildRenderCommandLine(const RenderRequest& request, bool mayWriteMachine) {
    std::string line = platform::quoteArgument(request.processor);
    if (request.use == RenderUse::Preview) {
        AppendOptionTemplate(line, request.colour, request.use, mayWriteMachine);
    } else {
        std::string options;
        AppendOptionTemplate(options, request.colour, request.use, mayWriteMachine);
        line += ReplaceRenderPlaceholders(options, ImageDevice(request.format, request.colour), request.dpi);
    }
    line += " -sOutputFile=";
    line += platform::quoteArgument(outputPattern(request.pagePrefix, PageExtension(request)));
    line += ' ';
    line += platform::quoteArgument(request.input);
    return line;
}

std::string PageFile(std::string_view prefix, int page, std::string_view extension) {
    std::string path(prefix);
    path += std::to_string(page);
    path += extension;
    return path;
}

int DeletePageFiles(std::string_view prefix, std::string_view extension) {
    int deleted = 0;
    while (std::remove(PageFile(prefix, deleted + 1, extension).c_str()) == 0) ++deleted;
    return deleted;
}

int PagesReady(std::string_view prefix, std::string_view extension, int pages, bool processorEnded) {
    int found = 0;
    while (found < pages && platform::fileExists(PageFile(prefix, found + 1, extension))) ++found;
    if (!processorEnded && found > 0 && found <= pages) {
        // The last one found is complete only once its successor exists.
        if (!platform::fileExists(PageFile(prefix, found + 1, extension))) --found;
    }
    return found;
}

std::string PagesReadyText(int ready, int pages) {
    return "Page " + std::to_string(ready) + " of " + std::to_string(pages);
}

std::optional<std::string> UserTempDirectory() {
    const std::string dir = platform::joinPath(platform::tempDirectory(), "zentrope-" + std::to_string(::getuid()));
    if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) return std::nullopt;
    struct stat st {};
    if (::lstat(dir.c_str(), &st) != 0) return std::nullopt;
    if (!S_ISDIR(st.st_mode) || st.st_uid != ::getuid() || (st.st_mode & 0077) != 0) {
        errno = EPERM;
        return std::nullopt;
    }
    return dir;
}

std::optional<std::string> PreparePagePrefix(std::string_view baseName) {
    const auto dir = UserTempDirectory();
    if (!dir) {
        platform::prompter().warn(kApplicationTitle, kTempPathFailedMessage);
        return std::nullopt;
    }
    return *dir + "/" + std::string(baseName) + "_";
}

}  // namespace zentcore
