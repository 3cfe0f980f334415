#include "sample_jobs.h"

namespace testenv {

std::string pagedPostScript(int pages) {
    // A conforming header: without %%EndComments a page filter takes the
    // first page for part of it.
    std::string ps = "%!PS-Adobe-3.0\n%%Pages: " + std::to_string(pages) + "\n%%EndComments\n";
    for (int p = 1; p <= pages; ++p)
        ps += "%%Page: " + std::to_string(p) + " " + std::to_string(p) +
              "\n/Times-Roman findfont 12 scalefont setfont 72 720 moveto (Page " + std::to_string(p) +
              ") show\nnewpath 72 72 moveto 540 72 lineto 540 720 lineto closepath stroke\nshowpage\n";
    return ps + "%%EOF\n";
}

std::string postScriptOfSize(std::size_t bytes, unsigned seed) {
    std::string out = "%!PS-Adobe-3.0\n%%Creator: test\n";
    unsigned x = seed * 2654435761u + 1;
    while (out.size() < bytes) {
        x = x * 1103515245u + 12345u;
        out += std::to_string(x % 612) + " " + std::to_string((x >> 10) % 792) + " moveto (Line " +
               std::to_string(x >> 20) + " of the job) show\n";
        if (x % 7 == 0) out += "gsave 0.5 setgray newpath 0 0 moveto 10 10 lineto stroke grestore\n";
    }
    out.resize(bytes);
    return out;
}

std::string JobText::text() const {
    std::string t;
    auto line = [&t](const char* key, const std::string& value) { t += std::string(key) + "=" + value + "\r\n"; };
    auto textLine = [&line](const char* key, const std::string& value) {
        if (!value.empty()) line(key, value);
    };
    line("DocName", DocName);
    textLine("Submited", Submited);
    textLine("UserName", UserName);
    textLine("Orientation", Orientation);
    line("Pages", std::to_string(Pages));
    line("Copies", std::to_string(Copies));
    line("Papersize", std::to_string(Papersize));
    line("Color", std::to_string(Color));
    line("SessionId", std::to_string(SessionId));
    textLine("Printer", Printer);
    textLine("Server", Server);
    textLine("OkDate", OkDate);
    return t + extra;
}

}  // namespace testenv
