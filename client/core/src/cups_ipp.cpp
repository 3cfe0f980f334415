#include "cups_ipp.h"

#include <cerrno>
#include <iostream>

namespace zentcore::detail {

namespace {

// CUPS's status as the closest errno, so that the failure reads the way
// every other failed call of the client does.
int errnoOf(ipp_status_t status) {
    switch (status) {
    case IPP_STATUS_ERROR_FORBIDDEN:
    case IPP_STATUS_ERROR_NOT_AUTHENTICATED:
    case IPP_STATUS_ERROR_NOT_AUTHORIZED:
    case IPP_STATUS_ERROR_CUPS_AUTHENTICATION_CANCELED:
        return EACCES;
    case IPP_STATUS_ERROR_NOT_FOUND:
        return ENOENT;
    case IPP_STATUS_ERROR_SERVICE_UNAVAILABLE:
    case IPP_STATUS_ERROR_INTERNAL:
        return ECONNREFUSED;
    case IPP_STATUS_ERROR_TIMEOUT:
        return ETIMEDOUT;
    case IPP_STATUS_ERROR_BAD_REQUEST:
    case IPP_STATUS_ERROR_ATTRIBUTES_OR_VALUES:
    case IPP_STATUS_ERROR_NOT_POSSIBLE:
    case IPP_STATUS_ERROR_DOCUMENT_FORMAT_NOT_SUPPORTED:
        return EINVAL;
    default:
        return EIO;
    }
}

}  // namespace

std::string PrinterUri(const std::string& printer) {
    char uri[HTTP_MAX_URI];
    httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", 0, "/printers/%s",
                     printer.c_str());
    return uri;
}

Ipp NewRequest(ipp_op_t operation, const std::string& printer) {
    Ipp request(ippNewRequest(operation));
    ippAddString(request.get(), IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, cupsUser());
    if (!printer.empty())
        ippAddString(request.get(), IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr,
                     PrinterUri(printer).c_str());
    return request;
}

Ipp Send(Ipp request, const char* resource, const std::string& file) {
    // cupsDoRequest takes the request in every case.
    ipp_t* const raw = request.release();
    Ipp answer(file.empty() ? cupsDoRequest(CUPS_HTTP_DEFAULT, raw, resource)
                            : cupsDoFileRequest(CUPS_HTTP_DEFAULT, raw, resource, file.c_str()));
    const ipp_status_t status = cupsLastError();
    if (answer && status <= IPP_STATUS_OK_EVENTS_COMPLETE) return answer;
    // "Not found" is an answer the callers expect (no such printer, none at
    // all); anything else is worth the server's own words.
    if (status != IPP_STATUS_ERROR_NOT_FOUND) std::cerr << "zentrope: CUPS: " << cupsLastErrorString() << "\n";
    errno = errnoOf(status);
    return nullptr;
}

}  // namespace zentcore::detail
