// The "docinfo", "prinfo" and "prlist" tags of the page templates.
#include <zentcore/htmlpage.h>
#include <zentcore/jobfiles.h>

#include <orlo/urltext.h>

#include <charconv>
#include <string_view>

namespace zentcore {

namespace {

using encdec::TPrinterData;

std::string yesNo(bool value) { return value ? "Yes" : "No"; }

// Hundredths of a millimetre as millimetres with two decimals, with a point
// whatever the locale.
std::string millimetres(std::int32_t hundredths) {
    char buffer[32];
    const auto [end, error] =
        std::to_chars(buffer, buffer + sizeof buffer, hundredths * 0.01, std::chars_format::fixed, 2);
    return error == std::errc() ? std::string(buffer, end) : std::string();
}

std::string appPath(const HtmlPageData& data) {
    return data.AppPath.empty() || data.AppPath.back() == '/' ? data.AppPath : data.AppPath + "/";
}

// A parameter and the raw text it stands for.
template <class Source>
struct Field {
    std::string_view name;
    std::string (*value)(const Source&);
};

const Field<TQueuedJob> docInfoFields[] = {
    {"SessionId", [](const TQueuedJob& j) { return std::to_string(j.SessionId); }},
    {"Printer", [](const TQueuedJob& j) { return j.Printer; }},
    {"Server", [](const TQueuedJob& j) { return j.Server; }},
    {"FileName", [](const TQueuedJob& j) { return j.BaseName; }},
    {"DocName", [](const TQueuedJob& j) { return j.DocName; }},
    {"CreDate", [](const TQueuedJob& j) { return j.Submited; }},
    {"UserName", [](const TQueuedJob& j) { return j.UserName; }},
    {"Orientation", [](const TQueuedJob& j) { return j.Orientation; }},
    {"PaperSize", [](const TQueuedJob& j) { return PaperSizeName(j.Papersize); }},
    {"Pages", [](const TQueuedJob& j) { return std::to_string(j.Pages); }},
    {"Copies", [](const TQueuedJob& j) { return std::to_string(j.Copies); }},
    {"MediaType", [](const TQueuedJob& j) { return std::to_string(j.MediaType); }},
    {"szUncompressed", [](const TQueuedJob& j) { return FormatByteSize(j.DataSize); }},
    {"szCompressed", [](const TQueuedJob& j) { return FormatByteSize(j.PackedSize); }},
};

const Field<TPrinterData> printerInfoFields[] = {
    {"Available", [](const TPrinterData& p) { return yesNo(p.Available); }},
    {"PrColor", [](const TPrinterData& p) { return yesNo(p.Color); }},
    {"XRes", [](const TPrinterData& p) { return std::to_string(p.XRes); }},
    {"YRes", [](const TPrinterData& p) { return std::to_string(p.YRes); }},
    {"MaxPages", [](const TPrinterData& p) { return std::to_string(p.MaxPages); }},
    {"PrPage", [](const TPrinterData& p) { return PaperSizeName(p.PrPage); }},
    {"PrinterName", [](const TPrinterData& p) { return p.PrinterName; }},
    {"Comments", [](const TPrinterData& p) { return p.Comments; }},
    {"PrModel", [](const TPrinterData& p) { return p.PrModel; }},
    {"PrLocation", [](const TPrinterData& p) { return p.PrLocation; }},
    {"AttName", [](const TPrinterData& p) { return p.AttName; }},
    {"AttPhone", [](const TPrinterData& p) { return p.AttPhone; }},
    {"AttEmail", [](const TPrinterData& p) { return p.AttEmail; }},
    {"AttAddr", [](const TPrinterData& p) { return p.AttAddr1 + " " + p.AttAddr2; }},
    {"CxMM", [](const TPrinterData& p) { return millimetres(p.Margins.PaperWidth); }},
    {"CyMM", [](const TPrinterData& p) { return millimetres(p.Margins.PaperHeight); }},
    {"MarginLeftMM", [](const TPrinterData& p) { return millimetres(p.Margins.Margin.Left); }},
    {"MarginRightMM", [](const TPrinterData& p) { return millimetres(p.Margins.Margin.Right); }},
    {"MarginTopMM", [](const TPrinterData& p) { return millimetres(p.Margins.Margin.Top); }},
    {"MarginBottomMM", [](const TPrinterData& p) { return millimetres(p.Margins.Margin.Bottom); }},
};

// The escaped value of the last parameter that names AppPath or a field;
// fields give nothing without a source.
template <class Source, std::size_t N>
std::string lastField(const PageTag& tag, const Field<Source> (&fields)[N], const Source* source,
                      const HtmlPageData& data) {
    std::string text;
    for (const PageTagParam& param : tag.Params) {
        if (param.HasValue) continue;
        if (param.Name == "AppPath") {
            text = HtmlEscape(appPath(data));
            continue;
        }
        for (const Field<Source>& field : fields)
            if (param.Name == field.name) text = source ? HtmlEscape(field.value(*source)) : std::string();
    }
    return text;
}

// The printer's name, as a link that picks it unless names are read-only.
std::string printerName(const std::string& name, bool readOnly) {
    if (readOnly) return HtmlEscape(name);
    return "<a href=\"pr_sel.cgi#" + orlo::UrlEncode(name) + "\">" + HtmlEscape(name) + "</a>";
}

std::string printerList(const std::vector<PrinterListEntry>& list, bool readOnly) {
    std::string html;
    for (const PrinterListEntry& entry : list) html += "<li>" + printerName(entry.Name, readOnly) + "\n";
    return html;
}

std::string printerDetails(const TPrinterData& p) {
    std::string html = "<ul>\n";
    const auto item = [&html](std::string_view label, const std::string& value) {
        html += "<li>";
        html += label;
        html += HtmlEscape(value);
    };
    item("Available: ", yesNo(p.Available));
    item("Color: ", yesNo(p.Color));
    item("Resolution: ", std::to_string(p.XRes) + "x" + std::to_string(p.YRes));
    item("Max. pages: ", std::to_string(p.MaxPages));
    item("Paper size: ", PaperSizeName(p.PrPage));
    item("Comments: ", p.Comments);
    item("Model: ", p.PrModel);
    item("Location: ", p.PrLocation);
    item("Attendant's name: ", p.AttName);
    item("Attendant's phone: ", p.AttPhone);
    item("Attendant's email: ", p.AttEmail);
    item("Paper dimensions(mm): ", millimetres(p.Margins.PaperWidth) + " x " + millimetres(p.Margins.PaperHeight));
    item("Margins(mm): ", " left=" + millimetres(p.Margins.Margin.Left) + " right=" +
                              millimetres(p.Margins.Margin.Right) + " top=" + millimetres(p.Margins.Margin.Top) +
                              " bottom=" + millimetres(p.Margins.Margin.Bottom));
    html += "</ul>\n";
    return html;
}

std::string printerDetailsList(const std::vector<PrinterListEntry>& list, bool readOnly) {
    std::string html;
    for (const PrinterListEntry& entry : list) {
        html += "<P><b>" + printerName(entry.Name, readOnly) + "</b>\n";
        if (entry.Data) html += printerDetails(*entry.Data);
    }
    return html;
}

std::string printerListTag(const PageTag& tag, const HtmlPageData& data) {
    std::string text;
    for (const PageTagParam& param : tag.Params) {
        if (param.HasValue) continue;
        if (param.Name == "AppPath")
            text = HtmlEscape(appPath(data));
        else if (param.Name == "prlist")
            text = data.PrinterList ? printerList(*data.PrinterList, data.AddrReadOnly) : std::string();
        else if (param.Name == "prxinfo")
            text = data.PrinterList ? printerDetailsList(*data.PrinterList, data.AddrReadOnly) : std::string();
    }
    return text;
}

}  // namespace

std::string HtmlPageTag(const PageTag& tag, const HtmlPageData& data) {
    if (tag.Name == "docinfo") return lastField(tag, docInfoFields, data.Job, data);
    if (tag.Name == "prinfo") return lastField(tag, printerInfoFields, data.Printer, data);
    if (tag.Name == "prlist") return printerListTag(tag, data);
    return {};
}

}  // namespace zentcore
