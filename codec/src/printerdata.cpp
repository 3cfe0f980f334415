#include <zcodec/printerdata.h>

#include <optional>
#include <string_view>
#include <variant>

#include <orlo/orlofunction.h>

#include "text_trim.h"

namespace encdec {
namespace {

struct MarginsField {};
using FieldRef = std::variant<bool TPrinterData::*, std::int16_t TPrinterData::*, std::int32_t TPrinterData::*,
                              std::string TPrinterData::*, MarginsField>;

// The record's field of each of the keys 0 to 24, in key order.
const std::array<FieldRef, kPrinterDataRecordKeys> kFields = {
    &TPrinterData::PrinterName, &TPrinterData::Available, &TPrinterData::PrLocation, &TPrinterData::AttName,
    &TPrinterData::AttPhone,    &TPrinterData::AttEmail,  &TPrinterData::AttAddr1,   &TPrinterData::AttAddr2,
    &TPrinterData::AttNotify,   &TPrinterData::PrModel,   &TPrinterData::PrPage,     &TPrinterData::Color,
    &TPrinterData::Banner,      &TPrinterData::DetLog,    &TPrinterData::LogMethod,  &TPrinterData::MaxJobs,
    &TPrinterData::MaxPages,    &TPrinterData::IntruderAt, &TPrinterData::Smtp,      &TPrinterData::AtRequest,
    &TPrinterData::XRes,        &TPrinterData::YRes,      &TPrinterData::ArchiveJob, &TPrinterData::Comments,
    MarginsField{}};

template <class... F>
struct Overloaded : F... {
    using F::operator()...;
};
template <class... F>
Overloaded(F...) -> Overloaded<F...>;

std::optional<bool> parseFlag(std::string_view text) {
    if (text.empty()) return std::nullopt;
    if (std::string_view("YyTt1").find(text.front()) != std::string_view::npos) return true;
    if (std::string_view("NnFf0").find(text.front()) != std::string_view::npos) return false;
    return std::nullopt;
}

// Left, top, right, bottom, paper width and paper height; missing or
// unreadable numbers give 0.
TPageGeometry parseMargins(const std::string& text) {
    StringList parts;
    TOrloFunction::AnsiSplit(text, ",", parts, 0);
    std::array<std::int32_t, 6> numbers{};
    for (std::size_t i = 0; i < numbers.size() && i < parts.size(); ++i)
        numbers[i] = detail::parseDecimal(detail::trim(parts[i])).value_or(0);
    TPageGeometry geometry;
    geometry.Margin = {numbers[0], numbers[1], numbers[2], numbers[3]};
    geometry.PaperWidth = numbers[4];
    geometry.PaperHeight = numbers[5];
    return geometry;
}

std::string formatMargins(const TPageGeometry& g) {
    std::string text;
    for (std::int32_t n :
         {g.Margin.Left, g.Margin.Top, g.Margin.Right, g.Margin.Bottom, g.PaperWidth, g.PaperHeight}) {
        if (!text.empty()) text += ',';
        text += std::to_string(n);
    }
    return text;
}

int recordKeyIndex(std::string_view key) {
    for (int i = 0; i < kPrinterDataRecordKeys; ++i)
        if (key == PrinterDataKeys[i]) return i;
    return -1;
}

void applyValue(const FieldRef& field, const std::string& value, TPrinterData& data, bool lenient) {
    std::visit(Overloaded{
                   [&](bool TPrinterData::*member) {
                       if (auto flag = parseFlag(value))
                           data.*member = *flag;
                       else if (!lenient)
                           data.*member = false;
                   },
                   [&](std::int16_t TPrinterData::*member) {
                       if (auto number = detail::parseDecimal(value))
                           data.*member = std::int16_t(std::uint16_t(*number));
                       else if (!lenient)
                           data.*member = 0;
                   },
                   [&](std::int32_t TPrinterData::*member) {
                       if (auto number = detail::parseDecimal(value))
                           data.*member = *number;
                       else if (!lenient)
                           data.*member = 0;
                   },
                   [&](std::string TPrinterData::*member) { data.*member = value; },
                   [&](MarginsField) { data.Margins = parseMargins(value); },
               },
               field);
}

std::string formatValue(const FieldRef& field, const TPrinterData& data) {
    return std::visit(Overloaded{
                          [&](bool TPrinterData::*member) { return std::string(data.*member ? "1" : "0"); },
                          [&](std::int16_t TPrinterData::*member) { return std::to_string(data.*member); },
                          [&](std::int32_t TPrinterData::*member) { return std::to_string(data.*member); },
                          [&](std::string TPrinterData::*member) { return data.*member; },
                          [&](MarginsField) { return formatMargins(data.Margins); },
                      },
                      field);
}

}  // namespace

void ParsePrinterData(const StringList& lines, TPrinterData& data, bool lenient) {
    StringList keys, values, fields;
    for (const auto& line : lines) {
        split(line, "=", fields, 2);
        if (fields.empty() || (fields.size() < 2 && lenient)) continue;
        keys.push_back(fields[0]);
        values.push_back(fields.size() < 2 ? std::string() : fields[1]);
    }
    ParsePrinterData(keys, values, data, lenient);
}

void ParsePrinterData(const StringList& keys, const StringList& values, TPrinterData& data, bool lenient) {
    TPrinterData defaults;
    defaults.PrinterName = std::move(data.PrinterName);
    data = std::move(defaults);

    const std::size_t pairs = std::min(keys.size(), values.size());
    for (std::size_t i = 0; i < pairs; ++i) {
        const int index = recordKeyIndex(detail::trim(keys[i]));
        if (index >= 0) applyValue(kFields[std::size_t(index)], std::string(detail::trim(values[i])), data, lenient);
    }
}

void ConstructPrinterData(StringList& lines, const TPrinterData& data) {
    lines.clear();
    for (int i = 0; i < kPrinterDataRecordKeys; ++i)
        lines.push_back(std::string(PrinterDataKeys[std::size_t(i)]) + "=" + formatValue(kFields[std::size_t(i)], data));
}

}  // namespace encdec
