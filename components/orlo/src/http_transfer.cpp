#include "http_transfer.h"

#include <curl/curl.h>

#include <memory>

namespace orlo {

namespace {

struct EasyDeleter {
    void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};
struct ListDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using EasyHandle = std::unique_ptr<CURL, EasyDeleter>;
using HeaderList = std::unique_ptr<curl_slist, ListDeleter>;

void initialiseOnce() {
    // A function-local static makes the one global initialisation thread-safe.
    static const CURLcode init = curl_global_init(CURL_GLOBAL_DEFAULT);
    (void)init;
}

struct Sink {
    std::string body;
    bool tooLarge = false;
};

size_t collect(char* data, size_t size, size_t count, void* user) {
    auto* sink = static_cast<Sink*>(user);
    const size_t bytes = size * count;
    if (bytes > maxResponseBytes - sink->body.size()) {
        sink->tooLarge = true;
        return 0;  // aborts the transfer with CURLE_WRITE_ERROR
    }
    sink->body.append(data, bytes);
    return bytes;
}

bool append(HeaderList& list, const char* header) {
    curl_slist* grown = curl_slist_append(list.get(), header);
    if (!grown) return false;
    (void)list.release();
    list.reset(grown);
    return true;
}

}  // namespace

HttpOutcome performHttp(const HttpRequest& request) {
    initialiseOnce();
    HttpOutcome outcome;
    EasyHandle curl(curl_easy_init());
    if (!curl) {
        outcome.code = CURLE_FAILED_INIT;
        return outcome;
    }
    HeaderList headers;
    // The requests never carried accept types.
    if (!append(headers, "Accept:") ||
        (request.form && !append(headers, "Content-Type: application/x-www-form-urlencoded"))) {
        outcome.code = CURLE_OUT_OF_MEMORY;
        return outcome;
    }

    Sink sink;
    CURL* h = curl.get();
    curl_easy_setopt(h, CURLOPT_URL, request.url.c_str());
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(h, CURLOPT_MAXREDIRS, 10L);
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_USERAGENT, "ORLO Vestra");
    curl_easy_setopt(h, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_0));
    if (!request.referrer.empty()) curl_easy_setopt(h, CURLOPT_REFERER, request.referrer.c_str());
    // The certificate chain is checked; a certificate issued for another
    // host name is accepted.
    curl_easy_setopt(h, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(h, CURLOPT_SSL_VERIFYHOST, 0L);
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.get());
    if (request.form) {
        curl_easy_setopt(h, CURLOPT_POSTFIELDS, request.form->data());
        curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.form->size()));
    }
    // A dead peer or a stalled answer ends the request instead of hanging it.
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, 60L);
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, 60L);
    curl_easy_setopt(h, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(maxResponseBytes));
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, collect);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &sink);

    const CURLcode result = curl_easy_perform(h);
    outcome.code = sink.tooLarge ? CURLE_FILESIZE_EXCEEDED : result;
    if (outcome.code == CURLE_OK) outcome.body = std::move(sink.body);
    return outcome;
}

}  // namespace orlo
