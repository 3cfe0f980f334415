// TOrloFunction: the package's stateless helper functions (form encoding,
// splitting, HTTP requests, temporary files, error reports).
#pragma once

#include <deque>
#include <string>

#include <zplatform/messaging.h>

class TOrloFunction {
public:
    using StringList = std::deque<std::string>;

    // Form-data decoding and encoding.
    static void plus2space(char* text);
    static std::string replace_hex(const std::string& text);
    static void replace_hex(char* text);
    static std::string iHTMLDecode(const std::string& text);
    static std::string iHTMLEncode(const std::string& text);

    // Splitting at delimiter characters; maxParts 0 means no limit.
    static void AnsiSplit(const std::string& text, const std::string& delimiters, StringList& parts, int maxParts);
    static void AnsiSplit2(const std::string& text, const std::string& delimiters, StringList& parts, int maxParts);

    // HTTP through libcurl. errorCode and response may be null. A response
    // whose first word is "Error" (any case) counts as a failure.
    static bool PostData(const std::string& url, const StringList& names, const StringList& values,
                         int* errorCode, std::string* response, const std::string& referrer);
    static bool GetHttpData(const std::string& url, int* errorCode, std::string* response,
                            const std::string& referrer);
    // The reading rule of a response body: chunks of at most 99 bytes, each
    // contributing only up to its first zero byte.
    static std::string IEReadFile(const std::string& body);

    // A new, empty, unique file in the temporary directory named
    // "<counter>.<ext>", the extension cut to three characters.
    static std::string AnsiTempFileName(const std::string& extension);
    // The same as a new[]-allocated C string the caller delete[]s; null on failure.
    static char* TempFileName(const char* extension);

    // The text of the calling thread's last error (errno), or "System error N".
    // The form with a caption also shows it in an error box ("Error" when the
    // caption is empty) and waits until it is acknowledged. The code argument
    // is accepted and not used: callers pass -1.
    static std::string GetErrorMessage(platform::WindowHandle owner, const std::string& caption, int code);
    static std::string GetErrorMessage(int code);
};
