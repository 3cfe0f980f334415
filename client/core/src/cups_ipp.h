// One IPP request to the local CUPS server, and its outcome as errno.
#pragma once

#include <cups/cups.h>

#include <memory>
#include <string>

namespace zentcore::detail {

struct IppDeleter {
    void operator()(ipp_t* ipp) const { ippDelete(ipp); }
};
using Ipp = std::unique_ptr<ipp_t, IppDeleter>;

// "ipp://localhost/printers/<name>", as CUPS names its local queues.
std::string PrinterUri(const std::string& printer);

// A request with the attributes every request carries (charset, language,
// requesting user) and, when printer is not empty, its printer-uri.
Ipp NewRequest(ipp_op_t operation, const std::string& printer = {});

// Sends the request (with a file, when file is not empty) to the resource;
// the answer when CUPS carried it out. Otherwise nullptr with errno set from
// CUPS's status, and the server's text written to stderr.
Ipp Send(Ipp request, const char* resource, const std::string& file = {});

}  // namespace zentcore::detail
