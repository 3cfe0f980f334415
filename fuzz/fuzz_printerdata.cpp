// Printer data lines of any content parse in both modes, a parsed record
// written out and parsed again comes back the same, and an answer read in
// one pass gives the record of its lines with at most one line per key.
#include <zcodec/printerdata.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

using encdec::TPrinterData;

namespace {

void require(bool condition) {
    if (!condition) std::abort();
}

// Text fields survive the round trip unless the value starts with "=", which
// the line form cannot carry (runs of "=" after the key count as one).
bool sameText(const std::string& parsed, const std::string& original) {
    return parsed == original || (!original.empty() && original.front() == '=');
}

bool sameRecord(const TPrinterData& a, const TPrinterData& b) {
    TPrinterData x = a, y = b;
    for (auto member : {&TPrinterData::PrinterName, &TPrinterData::PrLocation, &TPrinterData::AttName,
                        &TPrinterData::AttPhone, &TPrinterData::AttEmail, &TPrinterData::AttAddr1,
                        &TPrinterData::AttAddr2, &TPrinterData::PrModel, &TPrinterData::LogMethod,
                        &TPrinterData::Smtp, &TPrinterData::Comments}) {
        if (!sameText(x.*member, y.*member)) return false;
        x.*member = y.*member = "";
    }
    return x == y;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    encdec::StringList lines, keys, values;
    for (std::size_t at = 0; at <= text.size();) {
        std::size_t end = text.find('\n', at);
        if (end == std::string_view::npos) end = text.size();
        lines.emplace_back(text.substr(at, end - at));
        (lines.size() % 2 ? keys : values).emplace_back(text.substr(at, end - at));
        at = end + 1;
    }

    for (bool lenient : {false, true}) {
        TPrinterData parsed;
        parsed.PrinterName = "fuzz";
        encdec::ParsePrinterData(lines, parsed, lenient);

        encdec::StringList written;
        encdec::ConstructPrinterData(written, parsed);
        require(written.size() == 25);
        TPrinterData again;
        encdec::ParsePrinterData(written, again, lenient);
        require(sameRecord(again, parsed));

        encdec::StringList answerLines, keyLines;
        encdec::split(std::string(text.substr(0, text.find('\0'))), "\r\n", answerLines);
        TPrinterData fromLines, fromAnswer;
        encdec::ParsePrinterData(answerLines, fromLines, lenient);
        require(encdec::ParsePrinterAnswer(text, fromAnswer, lenient, keyLines) == answerLines.size());
        require(fromAnswer == fromLines);
        require(keyLines.size() <= encdec::PrinterDataKeys.size());

        encdec::ParsePrinterData(keys, values, parsed, lenient);
        (void)encdec::GetPaperSizeString(parsed.PrPage, lenient, parsed.Margins.PaperWidth,
                                         parsed.Margins.PaperHeight);
    }
    return 0;
}
