#include "printer_description.h"

#include <algorithm>
#include <string_view>
#include <nlohmann/json.hpp>

#include <zcodec/printerdata.h>

#include "config.h"
#include "text_util.h"

namespace zentserver {

namespace {

// What a client assumes for every key that is absent: the lines of a record
// left at its defaults, and empty charging and address keys. Written out so
// the answer always carries all 31 keys.
DescriptionLines defaultLines(const std::string& printerName) {
    encdec::TPrinterData defaults;
    defaults.PrinterName = printerName;
    encdec::StringList recordLines;
    encdec::ConstructPrinterData(recordLines, defaults);
    DescriptionLines lines;
    for (std::size_t i = 0; i < encdec::PrinterDataKeys.size(); ++i) {
        std::string value;
        const std::string key = encdec::PrinterDataKeys[i];
        if (i < recordLines.size() && recordLines[i].compare(0, key.size() + 1, key + "=") == 0)
            value = recordLines[i].substr(key.size() + 1);
        lines.emplace_back(key, value);
    }
    return lines;
}

std::string scalarText(const nlohmann::json& v, const std::string& where) {
    if (v.is_string()) return v.get<std::string>();
    if (v.is_boolean()) return v.get<bool>() ? "1" : "0";
    if (v.is_number()) return v.dump();
    throw ConfigError(where + ": expected a string, number or boolean");
}

std::string valueText(const std::string& key, const nlohmann::json& v, const std::string& where) {
    if (!v.is_array()) return scalarText(v, where);
    std::string separator;
    if (key == "MARGINS") separator = ",";
    else if (key == "AUTHNAME" || key == "PAGEPRICE" || key == "MINCHARGE" || key == "TAX") separator = ";";
    else throw ConfigError(where + ": a list is allowed only for MARGINS, AUTHNAME, PAGEPRICE, MINCHARGE and TAX");
    std::string text;
    for (std::size_t i = 0; i < v.size(); ++i) {
        if (i) text += separator;
        text += scalarText(v[i], where + "[" + std::to_string(i) + "]");
    }
    return text;
}

}  // namespace

DescriptionLines buildDescription(const std::string& printerName, const nlohmann::json& description) {
    const std::string where = "printer \"" + printerName + "\": description";
    if (!description.is_null() && !description.is_object()) throw ConfigError(where + ": expected an object");
    DescriptionLines lines = defaultLines(printerName);
    if (description.is_null()) return lines;
    for (const auto& item : description.items()) {
        const std::string& key = item.key();
        auto it = std::find_if(lines.begin(), lines.end(), [&](const auto& l) { return l.first == key; });
        if (it == lines.end()) throw ConfigError(where + ": unknown key \"" + key + "\"");
        it->second = valueText(key, item.value(), where + "." + key);
        // A line end or zero byte would split or cut the line on the client.
        if (it->second.find_first_of(std::string("\r\n\0", 3)) != std::string::npos)
            throw ConfigError(where + "." + key + ": line ends and zero bytes are not allowed");
    }
    return lines;
}

std::string formatDescription(const DescriptionLines& lines) {
    std::string text;
    for (const auto& [key, value] : lines) text += key + "=" + value + "\r\n";
    return text;
}

const std::string& descriptionValue(const DescriptionLines& lines, const std::string& key) {
    static const std::string empty;
    for (const auto& [k, v] : lines)
        if (k == key) return v;
    return empty;
}

bool descriptionFlag(const std::string& value, bool fallback) {
    const std::string_view v = trimBlank(value);
    if (v.empty()) return fallback;
    if (std::string_view("YyTt1").find(v.front()) != std::string_view::npos) return true;
    if (std::string_view("NnFf0").find(v.front()) != std::string_view::npos) return false;
    return fallback;
}

}  // namespace zentserver
