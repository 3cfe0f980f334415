// A print server's description of one printer: the record, its key=value
// lines, and the names of paper size codes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include <zcodec/utilities.h>

namespace encdec {

// The keys of printer data lines in their fixed order; the position is the
// key's index. Keys 0 to 24 are the record's, 25 to 30 are read from the raw
// lines only. Keys compare exactly, case included.
inline constexpr std::array<const char*, 31> PrinterDataKeys = {
    "PRINTERNAM", "AVAILABLE",  "PRLOCATION", "ATTNAME",   "ATTPHONE",  "ATTEMAIL",   "ATTADDR1",  "ATTADDR2",
    "ATTNOTIFY",  "PRMODEL",    "PRPAGE",     "PRCOLOR",   "BANNER",    "DETLOG",     "LOGMETHOD", "MAXJOBS",
    "MAXPAGES",   "INTRUDERAT", "SMTP",       "ATREQUEST", "XRES",      "YRES",       "ARCHIVEJOB", "COMMENTS",
    "MARGINS",    "AUTHNAME",   "PAGEPRICE",  "MINCHARGE", "TAX",       "ACC_IP",     "REJ_IP"};
inline constexpr int kPrinterDataRecordKeys = 25;

struct TRect32 {
    std::int32_t Left = 0;
    std::int32_t Top = 0;
    std::int32_t Right = 0;
    std::int32_t Bottom = 0;

    bool operator==(const TRect32&) const = default;
};

// Page geometry, lengths in hundredths of a millimetre. Text ("MARGINS")
// carries only Margin and the paper size; the rest is 0 after parsing.
struct TPageGeometry {
    std::int16_t Word1 = 0;
    std::int16_t Word2 = 0;
    std::int16_t Word3 = 0;
    TRect32 Margin;
    TRect32 Rect2;
    std::int32_t PaperWidth = 0;
    std::int32_t PaperHeight = 0;
    std::int32_t Extra1 = 0;
    std::int32_t Extra2 = 0;

    bool operator==(const TPageGeometry&) const = default;
};

// Defaults are those parsing starts from.
struct TPrinterData {
    bool Available = true;        // AVAILABLE
    bool Color = false;           // PRCOLOR
    bool Banner = false;          // BANNER
    bool DetLog = false;          // DETLOG
    bool AtRequest = false;       // ATREQUEST
    bool ArchiveJob = false;      // ARCHIVEJOB
    std::int16_t PrPage = 9;      // PRPAGE (A4)
    std::int16_t AttNotify = 1;   // ATTNOTIFY
    std::int16_t IntruderAt = 0;  // INTRUDERAT
    std::int16_t XRes = 600;      // XRES
    std::int16_t YRes = 600;      // YRES
    std::int32_t MaxJobs = 0;     // MAXJOBS
    std::int32_t MaxPages = 0;    // MAXPAGES
    std::string PrinterName;      // PRINTERNAM
    std::string PrLocation;       // PRLOCATION
    std::string AttName;          // ATTNAME
    std::string AttPhone;         // ATTPHONE
    std::string AttEmail;         // ATTEMAIL
    std::string AttAddr1;         // ATTADDR1
    std::string AttAddr2;         // ATTADDR2
    std::string PrModel;          // PRMODEL
    std::string LogMethod;        // LOGMETHOD
    std::string Smtp;             // SMTP
    std::string Comments;         // COMMENTS
    TPageGeometry Margins;        // MARGINS

    bool operator==(const TPrinterData&) const = default;
};

// Resets every field but the printer name to its default, then applies the
// key "=" value lines in order (later ones win; unknown keys are ignored).
// Lenient: a line without a value, or a value that does not fit its field,
// leaves the field as it was; otherwise such values give false, 0 or "".
void ParsePrinterData(const StringList& lines, TPrinterData& data, bool lenient);
// The same from keys and values given apart; pairs up to the shorter list.
void ParsePrinterData(const StringList& keys, const StringList& values, TPrinterData& data, bool lenient);
// A description as it arrives in an answer: the text up to its first zero
// byte, lines ended by runs of CR and LF. Read in one pass without copying
// the text: data becomes what ParsePrinterData gives for the text's lines,
// and keyLines receives only the lines that readers of the raw lines use
// (the authentication's price lists): for each of the 31 keys (compared
// exactly), its last line that gives it a value, or its last line where none
// does, in the answer's order: at most 31 lines whatever the answer holds.
// Returns the number of lines read.
std::size_t ParsePrinterAnswer(std::string_view answer, TPrinterData& data, bool lenient, StringList& keyLines);
// Replaces lines with the record's 25 lines, in key order.
void ConstructPrinterData(StringList& lines, const TPrinterData& data);

// Display name of a paper size code (8-bit ANSI text), or with postScript
// its PostScript media name ("" for most codes). Code 0 is a custom size of
// width x height hundredths of a millimetre; unknown codes give the number.
std::string GetPaperSizeString(int code, bool postScript, std::int32_t width = 0, std::int32_t height = 0);

}  // namespace encdec
