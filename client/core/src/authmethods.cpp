#include <zentcore/authdialogue.h>

#include <orlo/orlofunction.h>
#include <zplatform/text.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace zentcore {

namespace {

// The entries of one ';' list of the data lines; the last line of the key
// counts.
encdec::StringList dataList(const encdec::StringList& printerLines, const std::string& key) {
    encdec::StringList list;
    for (const auto& line : printerLines) {
        encdec::StringList parts;
        encdec::split(line, "=", parts, 2);
        if (parts.size() < 2 || parts[0] != key) continue;
        list.clear();
        TOrloFunction::AnsiSplit(parts[1], ";", list, 0);
    }
    return list;
}

}  // namespace

bool NamesAuthMethods(const encdec::StringList& printerLines) {
    return !dataList(printerLines, "AUTHNAME").empty();
}

std::vector<AuthMethod> ParseAuthMethods(const encdec::StringList& printerLines) {
    const auto names = dataList(printerLines, "AUTHNAME");
    const auto prices = dataList(printerLines, "PAGEPRICE");
    const auto minimums = dataList(printerLines, "MINCHARGE");
    const auto taxes = dataList(printerLines, "TAX");
    const std::size_t count = std::min({names.size(), prices.size(), minimums.size(), taxes.size()});
    std::vector<AuthMethod> methods;
    for (std::size_t i = 0; i < count; ++i) methods.push_back({names[i], prices[i], minimums[i], taxes[i]});
    return methods;
}

namespace {

// The C library's reading: text that is not a number gives 0.
double toDouble(const std::string& text) {
    const std::string trimmed = encdec::Trim(text);
    return std::strtod(trimmed.c_str(), nullptr);
}

}  // namespace

ChargeFigures ComputeCharge(const AuthMethod& method, std::int32_t pages, std::int32_t copies) {
    ChargeFigures f;
    f.pricePerPage = toDouble(method.pagePrice);
    f.minimumCharge = toDouble(method.minCharge);
    f.taxPercentage = toDouble(method.tax);
    // The sheet count is a whole number; widened so that it cannot wrap.
    f.amount = double(std::int64_t(pages) * copies) * f.pricePerPage;
    if (f.amount < f.minimumCharge) f.amount = f.minimumCharge;
    f.taxAmount = f.amount * f.taxPercentage * 0.01;
    return f;
}

std::string WithCurrency(std::string_view caption, std::string_view currency) {
    static constexpr std::string_view kTag = "${CURRENCY}";
    std::string out;
    std::size_t i = 0;
    while (i < caption.size()) {
        const auto rest = caption.substr(i);
        if (platform::startsWithNoCase(rest, kTag)) {
            out += currency;
            i += kTag.size();
        } else {
            out += caption[i++];
        }
    }
    return out;
}

std::string FormatCharge(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.2f", value);
    return text;
}

}  // namespace zentcore
