// Sample print jobs for the tests: PostScript data and job descriptions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace testenv {

// PostScript with the given number of pages, each marked with its DSC
// "%%Page:" comment; some kilobytes that pack well.
std::string pagedPostScript(int pages);

// PostScript-like text of exactly `bytes` bytes that compresses the way print
// jobs do, varied enough (by seed) that the compressor has real work.
std::string postScriptOfSize(std::size_t bytes, unsigned seed = 1);

// A job description file's text: one "Key=value" CR LF line per field, the
// texts only when they are not empty. Fields keep their description names.
struct JobText {
    std::string DocName = "Report";
    std::string Submited{};
    std::string UserName = "anna";
    std::string Orientation{};
    std::int32_t Pages = 1;
    std::int32_t Copies = 1;
    std::int32_t Papersize = 9;
    std::int32_t Color = 0;
    std::int32_t SessionId = 0;
    std::string Printer{};
    std::string Server{};
    std::string OkDate{};
    std::string extra{};   // appended as it is

    std::string text() const;
};

}  // namespace testenv
