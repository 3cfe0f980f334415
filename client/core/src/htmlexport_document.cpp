// The HTML document builder of the export.
#include <zentcore/htmlexport.h>

#include <zentcore/pageproducer.h>

namespace zentcore {

namespace {

constexpr std::string_view kCrLf = "\r\n";
// Text is UTF-8 here; the head says so, or every non-ASCII name garbles.
constexpr std::string_view kHead =
    "<HTML><HEAD>\r\n"
    "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">\r\n"
    "<meta name=\"Author\" content=\"ORLO Vestra\">\r\n"
    "<meta name=\"GENERATOR\" content=\"Zentrope/Client (Win32)\">\r\n"
    "<meta name=\"Description\" content=\"Zentrope Client printout (export to HTML)\">\r\n"
    "<TITLE>";
constexpr std::string_view kCredit =
    "<P style=\"font-family: Arial,Helvetica; font-size: 8pt; color: gray;\">Produced by <b>Zentrope Client</b>. "
    "Visit <a href=\"https://www.orlovestra.example/\">ORLO Vestra</a> on the web.</P>";

}  // namespace

HtmlDocument::HtmlDocument(std::string_view docName, bool frameset) : frameset_(frameset) {
    text_ = kHead;
    text_ += HtmlEscape(docName);
    text_ += "</TITLE></HEAD>";
    text_ += kCrLf;
    text_ += frameset ? "<FRAMESET ROWS=\"*,60\">" : "<BODY text=black bgcolor=white  link=blue vlink=blue alink=red>";
    text_ += kCrLf;
}

void HtmlDocument::AddLine(std::string_view line) {
    text_ += line;
    text_ += kCrLf;
}

std::string HtmlDocument::Finish() const {
    std::string out = text_;
    out += kCredit;
    out += frameset_ ? "</FRAMESET>" : "</BODY>";
    out += "</HTML>";
    out += kCrLf;
    return out;
}

}  // namespace zentcore
