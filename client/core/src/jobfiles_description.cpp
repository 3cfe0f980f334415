// The description file's keys: reading one line into the record, and the
// lines written back.
#include "jobfiles_description.h"

#include <zplatform/text.h>

#include <zcodec/utilities.h>

#include <algorithm>
#include <cstdint>

namespace zentcore::detail {

namespace {

enum class Kind { Text, Number, Paper };

struct Key {
    std::string_view name;
    Kind kind;
    std::string TQueuedJob::*text;
    std::int32_t TQueuedJob::*number;
};

// Tried in this order; the first key a line begins with is the line's key.
constexpr Key kKeys[] = {
    {"SessionId=", Kind::Number, nullptr, &TQueuedJob::SessionId},
    {"Printer=", Kind::Text, &TQueuedJob::Printer, nullptr},
    {"Server=", Kind::Text, &TQueuedJob::Server, nullptr},
    {"DocName=", Kind::Text, &TQueuedJob::DocName, nullptr},
    {"Submited=", Kind::Text, &TQueuedJob::Submited, nullptr},
    {"UserName=", Kind::Text, &TQueuedJob::UserName, nullptr},
    {"Orientation=", Kind::Text, &TQueuedJob::Orientation, nullptr},
    {"Pages=", Kind::Number, nullptr, &TQueuedJob::Pages},
    {"Papersize=", Kind::Paper, nullptr, &TQueuedJob::Papersize},
    {"Copies=", Kind::Number, nullptr, &TQueuedJob::Copies},
    {"Color=", Kind::Number, nullptr, &TQueuedJob::Color},
    {"Scale=", Kind::Number, nullptr, &TQueuedJob::Scale},
    {"MediaType=", Kind::Number, nullptr, &TQueuedJob::MediaType},
    {"OkDate=", Kind::Text, &TQueuedJob::OkDate, nullptr},
};

struct PaperName {
    std::string_view name;
    std::int32_t code;
};

// Names a "Papersize=" value may hold instead of a code.
constexpr PaperName kPaperNames[] = {
    {"11 x 17", 17}, {"TABLOID", 3}, {"A3", 8},     {"A4", 9},
    {"EXECUTIVE", 7}, {"LEDGER", 4}, {"LEGAL", 5}, {"LETTER", 1},
};

void storePaper(std::int32_t& field, const std::string& value) {
    if (const auto code = encdec::ParseInt(value)) {
        field = *code;
        return;
    }
    for (const auto& paper : kPaperNames)
        if (platform::equalsNoCase(value, paper.name)) {
            field = paper.code;
            return;
        }
}

// A value that holds a line break would split its line in two.
std::string oneLine(const std::string& value) {
    std::string s = value;
    std::replace_if(s.begin(), s.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    return s;
}

}  // namespace

void ApplyDescriptionLine(TQueuedJob& job, std::string_view line) {
    for (const auto& key : kKeys) {
        if (line.size() <= key.name.size() || !platform::equalsNoCase(line.substr(0, key.name.size()), key.name)) continue;
        while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.remove_suffix(1);
        if (line.size() <= key.name.size()) return;   // nothing after the key: the field stays
        const std::string value = encdec::Trim(line.substr(key.name.size()));
        switch (key.kind) {
        case Kind::Text: job.*key.text = value; break;
        case Kind::Number: job.*key.number = encdec::ParseInt(value).value_or(0); break;
        case Kind::Paper: storePaper(job.*key.number, value); break;
        }
        return;
    }
}

std::string JobDescriptionText(const TQueuedJob& job) {
    const struct {
        std::string_view key;
        std::string value;
    } lines[] = {
        {"Printer=", oneLine(job.Printer)},
        {"Server=", oneLine(job.Server)},
        {"DocName=", oneLine(job.DocName)},
        {"Submited=", oneLine(job.Submited)},
        {"UserName=", oneLine(job.UserName)},
        {"Orientation=", oneLine(job.Orientation)},
        {"SessionId=", std::to_string(job.SessionId)},
        {"Pages=", std::to_string(job.Pages)},
        {"Copies=", std::to_string(job.Copies)},
        {"Papersize=", std::to_string(job.Papersize)},
        {"Color=", std::to_string(job.Color)},
        {"MediaType=", std::to_string(job.MediaType)},
        {"Scale=", std::to_string(job.Scale)},
        {"OkDate=", oneLine(job.OkDate)},
    };
    std::string text;
    for (const auto& l : lines) text.append(l.key).append(l.value).append("\r\n");
    return text;
}

}  // namespace zentcore::detail
