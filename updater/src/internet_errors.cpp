#include "internet_errors.h"

#include <curl/curl.h>

namespace zsync {

namespace {

constexpr int kExtendedError = 12003;

struct Mapping {
    CURLcode curl;
    int code;
};

// Where the server answered, its reply says more than any fixed text.
constexpr CURLcode kServerRefusals[] = {
    CURLE_LOGIN_DENIED, CURLE_REMOTE_ACCESS_DENIED, CURLE_FTP_COULDNT_RETR_FILE, CURLE_REMOTE_FILE_NOT_FOUND,
    CURLE_QUOTE_ERROR, CURLE_FTP_WEIRD_SERVER_REPLY, CURLE_FTP_WEIRD_PASV_REPLY, CURLE_FTP_COULDNT_SET_TYPE,
    CURLE_WEIRD_SERVER_REPLY,
};

constexpr Mapping kMappings[] = {
    {CURLE_OPERATION_TIMEDOUT, 12002},   {CURLE_URL_MALFORMAT, 12005},     {CURLE_UNSUPPORTED_PROTOCOL, 12006},
    {CURLE_COULDNT_RESOLVE_HOST, 12007}, {CURLE_ABORTED_BY_CALLBACK, 12017}, {CURLE_COULDNT_CONNECT, 12029},
    {CURLE_PARTIAL_FILE, 12030},          {CURLE_RECV_ERROR, 12030},         {CURLE_SEND_ERROR, 12030},
    {CURLE_GOT_NOTHING, 12030},           {CURLE_FTP_ACCEPT_FAILED, 12030},  {CURLE_FTP_CANT_GET_HOST, 12029},
    {CURLE_FAILED_INIT, 12001},           {CURLE_OUT_OF_MEMORY, 12001},
};

const char* description(int code) {
    switch (code) {
    case 12001: return "No more handles could be generated at this time.";
    case 12002: return "The request has timed out.";
    case 12005: return "The URL is invalid.";
    case 12006: return "The URL scheme could not be recognized, or is not supported.";
    case 12007: return "The server name could not be resolved.";
    case 12017: return "The operation was canceled, usually because the handle on which the request was operating was closed before the operation completed.";
    case 12029: return "The attempt to connect to the server failed.";
    case 12030: return "The connection with the server has been terminated.";
    default: return nullptr;
    }
}

}  // namespace

int internetErrorCode(const FtpFailure& failure) {
    const auto curl = CURLcode(failure.curlCode);
    for (auto refusal : kServerRefusals)
        if (curl == refusal && !failure.lastResponse.empty()) return kExtendedError;
    for (const auto& m : kMappings)
        if (m.curl == curl) return m.code;
    return failure.curlCode;
}

std::string internetErrorText(const FtpFailure& failure) {
    const int code = internetErrorCode(failure);
    std::string text = "System error " + std::to_string(code) + "\r\n";
    if (code == kExtendedError) text += failure.lastResponse;
    else if (const char* fixed = description(code)) text += fixed;
    else text += curl_easy_strerror(CURLcode(failure.curlCode));   // the library's own text for the rest
    return text;
}

}  // namespace zsync
