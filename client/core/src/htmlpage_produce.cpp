// Producing a page from its template.
#include <zentcore/htmlpage.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace zentcore {

namespace {

PageTagHandler handlerFor(const HtmlPageData& data) {
    return [&data](const PageTag& tag) -> std::optional<std::string> { return HtmlPageTag(tag, data); };
}

}  // namespace

std::string ProduceHtmlPage(std::string_view templateText, const HtmlPageData& data) {
    return PageProducer::Content(templateText, handlerFor(data));
}

bool ProduceHtmlPageFile(const std::string& path, const HtmlPageData& data, std::string& html, std::string& error) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = "Cannot open the page template " + path + ": " + std::strerror(errno);
        return false;
    }
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        error = "The page template " + path + " is not a file.";
        return false;
    }
    PageProducer producer(handlerFor(data));
    std::string out;
    char buffer[16384];
    while (true) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            error = "Cannot read the page template " + path + ": " + std::strerror(errno);
            close(fd);
            return false;
        }
        if (n == 0) break;
        producer.Feed(std::string_view(buffer, static_cast<std::size_t>(n)), out);
    }
    close(fd);
    producer.Finish(out);
    html = std::move(out);
    return true;
}

}  // namespace zentcore
