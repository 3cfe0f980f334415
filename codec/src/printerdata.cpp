#include <zcodec/printerdata.h>

#include <algorithm>
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

// The index of a key among the 31 (exact comparison), or -1.
int keyIndex(std::string_view key) {
    for (std::size_t i = 0; i < PrinterDataKeys.size(); ++i)
        if (key == PrinterDataKeys[i]) return int(i);
    return -1;
}

std::string_view cutAtZero(std::string_view field) { return field.substr(0, field.find('\0')); }

// One line's key and value as split(line, "=", fields, 2) cuts them: runs of
// "=" count as one, so "=" characters at the start of the value are lost,
// and a field ends at a zero byte. No key: the line has no field at all.
struct LineFields {
    std::optional<std::string_view> key;
    std::optional<std::string_view> value;
};

LineFields splitLine(std::string_view line) {
    LineFields f;
    const std::size_t start = line.find_first_not_of('=');
    if (start == std::string_view::npos) return f;
    const std::size_t end = line.find('=', start);
    f.key = cutAtZero(line.substr(start, end == std::string_view::npos ? end : end - start));
    if (end == std::string_view::npos) return f;
    const std::size_t valueStart = line.find_first_not_of('=', end + 1);
    if (valueStart != std::string_view::npos) f.value = cutAtZero(line.substr(valueStart));
    return f;
}

void applyValue(const FieldRef& field, std::string_view value, TPrinterData& data, bool lenient) {
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
                   [&](MarginsField) { data.Margins = parseMargins(std::string(value)); },
               },
               field);
}

void applyPair(std::string_view key, std::string_view value, TPrinterData& data, bool lenient) {
    const int index = keyIndex(detail::trim(key));
    if (index >= 0 && index < kPrinterDataRecordKeys)
        applyValue(kFields[std::size_t(index)], detail::trim(value), data, lenient);
}

// A line without a value is skipped in lenient mode and taken with an empty
// value otherwise.
void applyLine(const LineFields& f, TPrinterData& data, bool lenient) {
    if (!f.key || (!f.value && lenient)) return;
    applyPair(*f.key, f.value.value_or(std::string_view()), data, lenient);
}

void resetRecord(TPrinterData& data) {
    TPrinterData defaults;
    defaults.PrinterName = std::move(data.PrinterName);
    data = std::move(defaults);
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
    resetRecord(data);
    for (const auto& line : lines) applyLine(splitLine(line), data, lenient);
}

void ParsePrinterData(const StringList& keys, const StringList& values, TPrinterData& data, bool lenient) {
    resetRecord(data);
    const std::size_t pairs = std::min(keys.size(), values.size());
    for (std::size_t i = 0; i < pairs; ++i) applyPair(keys[i], values[i], data, lenient);
}

std::size_t ParsePrinterAnswer(std::string_view answer, TPrinterData& data, bool lenient, StringList& keyLines) {
    answer = answer.substr(0, answer.find('\0'));
    resetRecord(data);
    // Views into the answer: nothing is copied until the pass is over.
    struct Kept {
        std::string_view line;
        std::size_t number = 0;   // 0: no such line
    };
    // Per key: its last line with a value, and its last line without one.
    std::array<Kept, PrinterDataKeys.size()> valued{}, bare{};
    std::size_t count = 0;
    const char* const end = answer.data() + answer.size();
    for (const char* at = answer.data(); at != end;) {
        if (*at == '\r' || *at == '\n') {
            ++at;
            continue;
        }
        const char* lineEnd = at;
        while (lineEnd != end && *lineEnd != '\r' && *lineEnd != '\n') ++lineEnd;
        const std::string_view line(at, std::size_t(lineEnd - at));
        at = lineEnd;
        ++count;
        const LineFields fields = splitLine(line);
        applyLine(fields, data, lenient);
        // Readers of the raw lines compare keys exactly and take the last
        // line of a key that carries a value; one without a value never
        // hides an earlier one that has.
        if (fields.key)
            if (const int index = keyIndex(*fields.key); index >= 0)
                (fields.value ? valued : bare)[std::size_t(index)] = {line, count};
    }
    std::array<const Kept*, PrinterDataKeys.size()> order{};
    std::size_t n = 0;
    for (std::size_t i = 0; i < PrinterDataKeys.size(); ++i)
        if (const Kept& k = valued[i].number != 0 ? valued[i] : bare[i]; k.number != 0) order[n++] = &k;
    std::sort(order.begin(), order.begin() + std::ptrdiff_t(n),
              [](const Kept* a, const Kept* b) { return a->number < b->number; });
    keyLines.clear();
    for (std::size_t i = 0; i < n; ++i) keyLines.emplace_back(order[i]->line);
    return count;
}

void ConstructPrinterData(StringList& lines, const TPrinterData& data) {
    lines.clear();
    for (int i = 0; i < kPrinterDataRecordKeys; ++i)
        lines.push_back(std::string(PrinterDataKeys[std::size_t(i)]) + "=" + formatValue(kFields[std::size_t(i)], data));
}

}  // namespace encdec
