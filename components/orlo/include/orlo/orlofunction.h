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

    // Splitting at delimiter bytes. Leading delimiters are skipped; AnsiSplit
    // takes a run of delimiters as one, AnsiSplit2 makes an empty part of every
    // further delimiter of a run. With maxParts (0: no limit) the last part is
    // the rest of the text, delimiters included.
    static void AnsiSplit(const std::string& text, const std::string& delimiters, StringList& parts, int maxParts);
    static void AnsiSplit2(const std::string& text, const std::string& delimiters, StringList& parts, int maxParts);

    // HTTP/1.0 through libcurl (agent "ORLO Vestra", referrer when not empty).
    // PostData sends the names and iHTMLEncode'd values as a urlencoded form;
    // GetHttpData sends a GET. The URL's port and query are used; redirects are
    // followed; HTTPS checks the certificate chain but not the host name. The
    // HTTP status is not judged: the body is, read by the IEReadFile rule. A body whose first word is "Error" (any
    // case) fails and leaves *response alone; any other body succeeds and is
    // stored in *response. When no answer arrives (bad URL, connection
    // refused, 60 s without progress, a body over 64 MiB) the CURLcode, e.g. 7 for a refused
    // connection, is appended in decimal to *response and stored in
    // *errorCode. errorCode and response may be null.
    static bool PostData(const std::string& url, const StringList& names, const StringList& values,
                         int* errorCode, std::string* response, const std::string& referrer);
    static bool GetHttpData(const std::string& url, int* errorCode, std::string* response,
                            const std::string& referrer);
    // The reading rule of a response body: chunks of at most 99 bytes, each
    // contributing only up to its first zero byte.
    static std::string IEReadFile(const std::string& body);

    // A new, empty, unique file "<dir>/<counter>.<ext>": dir is $TMPDIR or
    // /tmp (the current directory when neither exists or can be made), the
    // extension is cut to three characters. Created exclusively (mode 0600).
    // Empty, with errno set, when the file cannot be created.
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
