// Form posts and page fetches, and how their answers are judged.
#include <orlo/orlofunction.h>

#include "http_transfer.h"

#include <zplatform/text.h>

#include <algorithm>
#include <cstring>
#include <string_view>

namespace {

constexpr size_t readChunk = 99;

bool isBlankOrControl(char c) { return static_cast<unsigned char>(c) <= ' '; }

// A server reports a refusal with a body whose first word is "Error".
bool reportsError(const std::string& text) {
    const auto first = std::find_if_not(text.begin(), text.end(), isBlankOrControl);
    const auto last = std::find_if_not(text.rbegin(), text.rend(), isBlankOrControl).base();
    if (first >= last) return false;
    TOrloFunction::StringList words;
    TOrloFunction::AnsiSplit(std::string(first, last), " \t\n\r", words, 0);
    return !words.empty() && platform::equalsNoCase(words.front(), "Error");
}

bool finish(const orlo::HttpOutcome& outcome, int* errorCode, std::string* response) {
    if (outcome.code != 0) {
        if (response) *response += std::to_string(outcome.code);
        if (errorCode) *errorCode = outcome.code;
        return false;
    }
    std::string text = TOrloFunction::IEReadFile(outcome.body);
    if (reportsError(text)) return false;
    if (response) *response = std::move(text);
    return true;
}

}  // namespace

bool TOrloFunction::PostData(const std::string& url, const StringList& names, const StringList& values,
                             int* errorCode, std::string* response, const std::string& referrer) {
    std::string form;
    for (size_t i = 0; i < names.size(); ++i) {
        if (i > 0) form += '&';
        form += names[i];
        form += '=';
        if (i < values.size()) form += iHTMLEncode(values[i]);
    }
    return finish(orlo::performHttp({url, referrer, std::move(form)}), errorCode, response);
}

bool TOrloFunction::GetHttpData(const std::string& url, int* errorCode, std::string* response,
                                const std::string& referrer) {
    return finish(orlo::performHttp({url, referrer, std::nullopt}), errorCode, response);
}

std::string TOrloFunction::IEReadFile(const std::string& body) {
    std::string text;
    for (size_t at = 0; at < body.size(); at += readChunk) {
        const std::string_view chunk = std::string_view(body).substr(at, readChunk);
        text += chunk.substr(0, chunk.find('\0'));
    }
    return text;
}
