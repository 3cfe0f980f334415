#include "job_options.h"

#include <zplatform/text.h>

#include <cups/cups.h>

#include <fstream>
#include <iterator>

namespace zentro {

namespace {

struct PaperName {
    const char* ppd;   // as a printer description names it
    const char* pwg;   // as IPP media names it
    int code;
};

// The sizes of the job description's paper codes that printers offer.
constexpr PaperName kPaperNames[] = {
    {"Letter", "na_letter_8.5x11in", 1},
    {"LetterSmall", "", 2},
    {"Tabloid", "na_ledger_11x17in", 3},
    {"11x17", "", 3},
    {"Ledger", "", 4},
    {"Legal", "na_legal_8.5x14in", 5},
    {"Statement", "na_invoice_5.5x8.5in", 6},
    {"Executive", "na_executive_7.25x10.5in", 7},
    {"A3", "iso_a3_297x420mm", 8},
    {"A4", "iso_a4_210x297mm", 9},
    {"A4Small", "", 10},
    {"A5", "iso_a5_148x210mm", 11},
    {"B4", "jis_b4_257x364mm", 12},
    {"B5", "jis_b5_182x257mm", 13},
    {"Folio", "na_foolscap_8.5x13in", 14},
    {"Quarto", "na_quarto_8.5x10.83in", 15},
    {"10x14", "na_10x14_10x14in", 16},
    {"Note", "", 18},
    {"Env9", "na_number-9_3.875x8.875in", 19},
    {"Env10", "na_number-10_4.125x9.5in", 20},
    {"Env11", "na_number-11_4.5x10.375in", 21},
    {"Env12", "na_number-12_4.75x11in", 22},
    {"Env14", "na_number-14_5x11.5in", 23},
    {"AnsiC", "na_c_17x22in", 24},
    {"AnsiD", "na_d_22x34in", 25},
    {"AnsiE", "na_e_34x44in", 26},
    {"EnvDL", "iso_dl_110x220mm", 27},
    {"EnvC5", "iso_c5_162x229mm", 28},
    {"EnvC3", "iso_c3_324x458mm", 29},
    {"EnvC4", "iso_c4_229x324mm", 30},
    {"EnvC6", "iso_c6_114x162mm", 31},
    {"EnvC65", "iso_c6c5_114x229mm", 32},
    {"EnvISOB4", "", 33},
    {"EnvISOB5", "iso_b5_176x250mm", 34},
    {"EnvISOB6", "iso_b6_125x176mm", 35},
    {"EnvItalian", "om_italian_110x230mm", 36},
    {"EnvMonarch", "na_monarch_3.875x7.5in", 37},
    {"EnvPersonal", "na_personal_3.625x6.5in", 38},
    {"FanFoldUS", "na_fanfold-us_11x14.875in", 39},
    {"FanFoldGerman", "na_fanfold-eur_8.5x12in", 40},
    {"FanFoldGermanLegal", "", 41},
    {"ISOB4", "iso_b4_250x353mm", 42},
    {"Postcard", "jpn_hagaki_100x148mm", 43},
};

std::optional<int> firstKnownSize(std::string_view list) {
    while (!list.empty()) {
        const auto comma = list.find(',');
        if (const auto code = PaperSizeCode(list.substr(0, comma))) return code;
        if (comma == std::string_view::npos) break;
        list.remove_prefix(comma + 1);
    }
    return std::nullopt;
}

// "Gray", "monochrome", "process-monochrome", "auto-monochrome": no colour.
bool isColorChoice(std::string_view value) {
    std::string v(value);
    for (char& c : v) c = platform::asciiLower(c);
    return v != "gray" && v != "grey" && v != "black" && v.find("monochrome") == std::string::npos;
}

}  // namespace

std::optional<int> PaperSizeCode(std::string_view name) {
    for (const PaperName& p : kPaperNames)
        if (platform::equalsNoCase(name, p.ppd) || (*p.pwg && platform::equalsNoCase(name, p.pwg))) return p.code;
    return std::nullopt;
}

JobLayout LayoutOf(const std::string& options, const PrinterDefaults& defaults) {
    cups_option_t* list = nullptr;
    const int count = cupsParseOptions(options.c_str(), 0, &list);
    auto option = [&](const char* name) -> std::optional<std::string_view> {
        const char* value = cupsGetOption(name, count, list);
        if (!value) return std::nullopt;
        return std::string_view(value);
    };

    JobLayout layout{defaults.paperSize, defaults.color, false};
    std::optional<int> size;
    if (const auto pageSize = option("PageSize")) size = PaperSizeCode(*pageSize);
    if (!size)
        if (const auto media = option("media")) size = firstKnownSize(*media);
    if (size) layout.paperSize = *size;

    if (const auto model = option("ColorModel")) layout.color = isColorChoice(*model);
    else if (const auto mode = option("print-color-mode")) layout.color = isColorChoice(*mode);

    // "landscape" alone is a boolean option: present means true.
    const auto landscape = option("landscape");
    const auto orientation = option("orientation-requested");
    layout.landscape = (landscape && !platform::equalsNoCase(*landscape, "false") &&
                        !platform::equalsNoCase(*landscape, "no") && !platform::equalsNoCase(*landscape, "off")) ||
                       (orientation && (*orientation == "4" || *orientation == "5"));

    cupsFreeOptions(count, list);
    return layout;
}

PrinterDefaults ReadPrinterDefaults(const std::string& ppdPath) {
    PrinterDefaults defaults;
    if (ppdPath.empty()) return defaults;
    std::ifstream in(ppdPath);
    std::string line;
    auto valueOf = [&](std::string_view key) -> std::optional<std::string_view> {
        if (line.compare(0, key.size(), key) != 0) return std::nullopt;
        std::string_view v = std::string_view(line).substr(key.size());
        while (!v.empty() && (v.front() == ' ' || v.front() == '\t')) v.remove_prefix(1);
        while (!v.empty() && (v.back() == ' ' || v.back() == '\r' || v.back() == '\t')) v.remove_suffix(1);
        return v;
    };
    while (std::getline(in, line)) {
        if (const auto v = valueOf("*DefaultPageSize:"))
            if (const auto code = PaperSizeCode(*v)) defaults.paperSize = *code;
        if (const auto v = valueOf("*DefaultColorModel:")) defaults.color = isColorChoice(*v);
    }
    return defaults;
}

}  // namespace zentro
