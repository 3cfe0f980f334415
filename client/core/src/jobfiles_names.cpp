// Display texts of the job list: paper size names and byte counts.
#include <zentcore/jobfiles.h>

#include <iterator>

namespace zentcore {

namespace {

// Codes 1 to 41, the platform's paper size constants.
constexpr const char* kPaperSizeNames[] = {
    "Letter, 8 1/2 x 11'",
    "Letter Small, 8 1/2 x11'",
    "Tabloid, 11x17'",
    "Ledger, 17x11'",
    "Legal, 8 1/2 x14'",
    "Statement, 5 1/2 x8 1/2'",
    "Executive, 7 1/4 x10 1/2'",
    "A3, 297x420mm",
    "A4, 210x297mm",
    "A4 small, 210x297mm",
    "A5, 148x210mm",
    "B4, 250x354mm",
    "B5, 182x257mm",
    "Folio, 8 1/2 x13'",
    "Quarto, 215x275mm",
    "10x14'",
    "11x17'",
    "Note, 8 1/2 x11'",
    "#9 Envelope, 3 7/8 x8 7/8'",
    "#10 Envelope, 4 1/8 x9 1/2'",
    "#11 Envelope, 4 1/2 x10 3/8'",
    "#12 Envelope, 4 3/4 x11'",
    "#14 Envelope, 5x11 1/2'",
    "C Sheet, 17x22'",
    "D Sheet, 22x34'",
    "E Sheet, 34x44'",
    "DL Envelope, 110x220mm",
    "C5 Envelope, 162x229mm",
    "C3 Envelope,  324x458mm",
    "C4 Envelope,  229x324mm",
    "C6 Envelope,  114x162-millimeters",
    "C65 Envelope, 114x229mm",
    "B4 Envelope,  250x353mm",
    "B5 Envelope,  176x250mm",
    "B6 Envelope,  176x125mm",
    "Italy Envelope, 110x230mm",
    "Monarch Envelope, 3 7/8 x 7 1/2'",
    "6 3/4 Envelope, 3 5/8 x6 1/2'",
    "US Std Fanfold, 14 7/8 x11'",
    "German Std Fanfold, 8 1/2 x12'",
    "German Legal Fanfold, 8 1/2 x13'",
};

// n / unit rounded to the nearest whole number, halves up, without overflow.
std::uint64_t roundedUnits(std::uint64_t n, std::uint64_t unit) { return n / unit + (n % unit >= unit / 2 ? 1 : 0); }

}  // namespace

std::string PaperSizeName(std::int32_t code) {
    if (code >= 1 && code <= std::int32_t(std::size(kPaperSizeNames))) return kPaperSizeNames[code - 1];
    return "#" + std::to_string(code);
}

std::string FormatByteSize(std::uint64_t bytes) {
    if (bytes <= 1000) return std::to_string(bytes);
    if (bytes <= 1000000) return std::to_string(roundedUnits(bytes, 1000)) + " K";
    return std::to_string(roundedUnits(bytes, 1000000)) + " M";
}

}  // namespace zentcore
