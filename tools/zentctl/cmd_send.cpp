// zentctl send: one exchange with a print server, as the client runs it, and
// what came back.
#include "commands.h"

#include <zcodec/clientthread.h>

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zentctl {

namespace {

template <typename Number>
std::optional<Number> parseNumber(std::string_view text) {
    Number value{};
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

// The four characters \x04 stand for the field separator, which is awkward
// to type on a command line.
std::string withSeparators(std::string data) {
    for (auto at = data.find("\\x04"); at != std::string::npos; at = data.find("\\x04", at + 1))
        data.replace(at, 4, 1, '\x04');
    return data;
}

bool isText(std::string_view bytes) {
    for (unsigned char c : bytes)
        if (c < 0x20 && c != '\t' && c != '\r' && c != '\n' && c != 0x04) return false;
    return true;
}

void printText(std::string_view bytes) {
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        char c = bytes[i];
        if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
        if (c == '\x04') out += "\\x04";
        else out += c;
    }
    if (!out.empty() && out.back() != '\n') out += '\n';
    std::cout << out;
}

void printHex(std::string_view bytes) {
    char line[96];
    for (std::size_t row = 0; row < bytes.size(); row += 16) {
        std::string hex, shown;
        for (std::size_t i = row; i < row + 16; ++i) {
            if (i < bytes.size()) {
                auto c = static_cast<unsigned char>(bytes[i]);
                std::snprintf(line, sizeof line, "%02x ", c);
                hex += line;
                shown += c >= 0x20 && c < 0x7f ? char(c) : '.';
            } else {
                hex += "   ";
            }
        }
        std::snprintf(line, sizeof line, "%08zx  ", row);
        std::cout << line << hex << " " << shown << "\n";
    }
}

}  // namespace

int cmdSend(const Args& args) {
    std::vector<std::string> positional;
    encdec::TransportType transport = encdec::ttNone;
    std::int32_t session = 0;
    std::uint32_t delay = 0;
    std::string answerFile;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a.rfind("--", 0) != 0) {
            positional.push_back(a);
            continue;
        }
        if (i + 1 >= args.size()) return usageError("'" + a + "' needs a value");
        const std::string& value = args[++i];
        if (a == "--transport") {
            auto n = parseNumber<int>(value);
            if (!n || *n < 0 || *n > 5) return usageError("--transport: \"" + value + "\" is not 0 to 5");
            transport = encdec::TransportType(*n);
        } else if (a == "--session") {
            auto n = parseNumber<std::int32_t>(value);
            if (!n) return usageError("--session: \"" + value + "\" is not a 32-bit number");
            session = *n;
        } else if (a == "--delay") {
            auto n = parseNumber<std::uint32_t>(value);
            if (!n) return usageError("--delay: \"" + value + "\" is not a number of milliseconds");
            delay = *n;
        } else if (a == "--answer-file") {
            answerFile = value;
        } else {
            return usageError("unknown option '" + a + "'");
        }
    }
    if (positional.size() != 3) return usageError("'send' needs COMMAND, DATA and ADDRESS");

    encdec::TCommResult result;
    auto thread = encdec::Communicate(positional[0], withSeparators(positional[1]), positional[2], 0, result,
                                      transport, session, delay, answerFile);
    std::cout << "return value: " << result.ReturnValue << "\n"
              << "error code: " << result.ErrorCode << "\n"
              << "error text: " << result.ErrorMsg << "\n";
    const std::uint8_t* answer = thread ? thread->GetAnswerAsPointer() : nullptr;
    if (!answer) {
        std::cout << "answer: none\n";
        return 1;
    }
    std::string_view bytes(reinterpret_cast<const char*>(answer), std::size_t(thread->GetAnswerLength()));
    if (isText(bytes)) {
        std::cout << "answer: " << bytes.size() << " bytes of text\n";
        printText(bytes);
    } else {
        std::cout << "answer: " << bytes.size() << " bytes, in hex\n";
        printHex(bytes);
    }
    return result.ErrorCode == 0 ? 0 : 1;
}

}  // namespace zentctl
