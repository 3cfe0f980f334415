// Functions of the support library whose work TOrloFunction does.
#include <zcodec/utilities.h>

#include <orlo/orlofunction.h>

namespace encdec {

char* TempFileName(const char* extension) { return TOrloFunction::TempFileName(extension); }

std::string AnsiTempFileName(const std::string& extension) { return TOrloFunction::AnsiTempFileName(extension); }

void AnsiSplit(const std::string& text, const std::string& delimiters, StringList& parts, int maxParts) {
    TOrloFunction::AnsiSplit(text, delimiters, parts, maxParts);
}

void AnsiSplit2(const std::string& text, const std::string& delimiters, StringList& parts, int maxParts) {
    TOrloFunction::AnsiSplit2(text, delimiters, parts, maxParts);
}

std::string iHTMLEncode(const std::string& text) { return TOrloFunction::iHTMLEncode(text); }

std::string iHTMLDecode(const std::string& text) { return TOrloFunction::iHTMLDecode(text); }

std::string GetErrorMessage(platform::WindowHandle owner, const std::string& caption, int code) {
    return TOrloFunction::GetErrorMessage(owner, caption, code);
}

std::string GetErrorMessage(int code) { return TOrloFunction::GetErrorMessage(code); }

bool PostData(const std::string& url, const StringList& names, const StringList& values, int* errorCode,
              std::string* response, const std::string& referrer) {
    return TOrloFunction::PostData(url, names, values, errorCode, response, referrer);
}

bool GetHttpData(const std::string& url, int* errorCode, std::string* response, const std::string& referrer) {
    return TOrloFunction::GetHttpData(url, errorCode, response, referrer);
}

}  // namespace encdec
