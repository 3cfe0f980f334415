// The description file's format.
#include "handoff_description.h"

#include <string_view>

namespace encdec::detail {

namespace {

std::string oneLine(std::string_view value) {
    std::string s(value);
    for (char& c : s)
        if (c == '\r' || c == '\n') c = ' ';
    return s;
}

void line(std::string& out, std::string_view key, const std::string& value) {
    out.append(key).append("=").append(value).append("\r\n");
}

std::string number(std::int32_t v) { return std::to_string(v); }

}  // namespace

std::string JobDescriptionText(const ZTP_JOBDATA& job) {
    const ZSystemTime& t = job.Submited;
    // Unpadded parts: 09:05:03.007 on 4 March 2003 is "2003/3/4 9:5:3.7".
    const std::string submitted = std::to_string(t.Year) + "/" + std::to_string(t.Month) + "/" +
                                  std::to_string(t.Day) + " " + std::to_string(t.Hour) + ":" +
                                  std::to_string(t.Minute) + ":" + std::to_string(t.Second) + "." +
                                  std::to_string(t.Milliseconds);
    std::string out;
    line(out, "DocName", oneLine(job.DocName));
    line(out, "Papersize", number(job.Papersize));
    line(out, "Orientation", oneLine(job.Orientation));
    line(out, "Pages", number(job.Pages));
    line(out, "Copies", number(job.Copies == 0 ? 1 : std::int32_t(job.Copies)));
    line(out, "UserName", oneLine(job.UserName));
    line(out, "Submited", submitted);
    line(out, "PaperWidth", number(job.PaperWidth));
    line(out, "PaperLength", number(job.PaperLength));
    line(out, "PrintQuality", number(job.PrintQuality));
    line(out, "Color", number(job.Color));
    line(out, "Scale", number(job.Scale));
    line(out, "MediaType", number(job.MediaType));
    return out;
}

}  // namespace encdec::detail
