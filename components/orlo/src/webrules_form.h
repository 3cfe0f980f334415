// The form data of a submission, as the web wrapper collects it.
#pragma once

#include <optional>
#include <string>

#include <orlo/orlofunction.h>

namespace orlo {

struct CollectedForm {
    std::string text;                  // entries, each followed by EOT
    TOrloFunction::StringList names;   // the same entries as name and value
    TOrloFunction::StringList values;
    std::optional<int> number;         // from the last "XSB<n>" entry
};

// The entries are "_ORLO_URL_=" and the decoded URL (when there is one), then
// every "&"-separated part of the body but a page's own "_ORLO_URL_=" ones,
// each decoded.
CollectedForm CollectForm(const std::string& url, const std::string& body);

}  // namespace orlo
