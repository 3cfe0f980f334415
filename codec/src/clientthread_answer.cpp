// What each command makes of its answer.
#include <zcodec/utilities.h>
#include <zplatform/system.h>

#include <algorithm>
#include <string_view>

#include "clientthread_code.h"
#include "clientthread_numbers.h"

namespace encdec {

namespace {

bool isOneOf(const std::string& command, std::initializer_list<std::string_view> names) {
    return std::find(names.begin(), names.end(), command) != names.end();
}

// "first" 0x04 "second": first * 1000 + second.
std::int32_t jobNumber(const std::string& answer) {
    StringList fields;
    split(answer, "\x04", fields, 3);
    if (fields.empty()) return 0;
    std::int64_t first = exchange::DecimalOr(exchange::TrimBlanks(fields[0]), 0);
    std::int64_t second = fields.size() > 1 ? exchange::DecimalOr(exchange::TrimBlanks(fields[1]), 0) : 0;
    return std::int32_t(std::uint32_t(first * 1000 + second));
}

}  // namespace

std::int32_t MyClientThreadCode::ProcessAnswer() {
    const std::size_t n = std::size_t(AnswerLen);
    const std::uint8_t* bytes = Answer.data();
    auto firstNumber = [&] { return n < 4 ? 0 : GetBigEndian32(bytes); };
    // Copied only for the commands that read their answer as text.
    auto text = [&]() -> const std::string& { return AnswerText = GetAnswer(); };

    if (Command == "PLGICON") {
        // The icon follows its 4-byte size; without the size there is no icon.
        if (n < 4) return 0;
        writeAnswerFile(4);
        return firstNumber();
    }
    if (isOneOf(Command, {"SENDFILE", "CONFIRM", "UPDPRN", "CHKPASS"})) {
        writeAnswerFile(0);
        return text() == "OK" ? 1 : 0;
    }
    if (Command == "PRFILE") {
        // A job the server reports an error for was not accepted, whatever
        // number comes with the error; it is neither confirmed nor delivered.
        writeAnswerFile(0);
        return ErrorCode == 0 ? firstNumber() : 0;
    }
    if (isOneOf(Command, {"NEWSESSION", "CHKINTR"})) {
        writeAnswerFile(0);
        return firstNumber();
    }
    if (isOneOf(Command, {"RCMD", "PLGSTG"})) {
        writeAnswerFile(0);
        return exchange::LeadingDecimal(text());
    }
    if (Command == "PLGFUNC") {
        std::int32_t step = exchange::LeadingDecimal(text());
        writeAnswerFile(step == 2 ? std::min<std::size_t>(2, n) : 0);
        return step;
    }
    if (isOneOf(Command, {"WJOBS", "OJOBS"})) {
        writeAnswerFile(0);
        return jobNumber(text());
    }
    writeAnswerFile(0);
    return 1;
}

void MyClientThreadCode::writeAnswerFile(std::size_t from) const {
    if (AnswerFile.empty()) return;
    const std::size_t n = std::size_t(AnswerLen);
    from = std::min(from, n);
    // A failed write leaves the previous file as it was; the exchange goes on.
    platform::writeFileAtomically(
        AnswerFile, std::string_view(reinterpret_cast<const char*>(Answer.data()) + from, n - from));
}

std::string MyClientThreadCode::GetAnswer() const {
    if (Answer.empty()) return {};
    return std::string(reinterpret_cast<const char*>(Answer.data()));
}

void MyClientThreadCode::ClearAnswer() {
    Answer.clear();
    Answer.shrink_to_fit();
    AnswerLen = 0;
    AnswerText.clear();
}

}  // namespace encdec
