// Collecting a submitted form: the owner's text and the fields to post.
#include "webrules_form.h"

#include <orlo/webrules.h>
#include <zplatform/text.h>

#include <charconv>
#include <cstring>
#include <string_view>

namespace orlo {

namespace {

// A whole decimal number with an optional sign that fits an int, else 0.
int numberOrZero(std::string_view text) {
    if (text.size() > 1 && text.front() == '+' && text[1] != '-') text.remove_prefix(1);
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 10);
    return error == std::errc() && end == text.data() + text.size() ? value : 0;
}

}  // namespace

CollectedForm CollectForm(const std::string& url, const std::string& body) {
    const std::string urlPrefix = std::string(TWebWrapperRules::UrlField) + "=";
    CollectedForm form;
    const auto add = [&form](const std::string& entry, std::string name, std::string value) {
        form.text += entry;
        form.text += TWebWrapperRules::EOT;
        form.names.push_back(std::move(name));
        form.values.push_back(std::move(value));
    };
    if (!url.empty()) {
        const std::string target = TOrloFunction::iHTMLDecode(url);
        add(urlPrefix + target, TWebWrapperRules::UrlField, target);
    }
    TOrloFunction::StringList parts;
    TOrloFunction::AnsiSplit(body, "&", parts, 0);
    for (const std::string& part : parts) {
        // A page cannot pose as the wrapper's own target field.
        if (platform::startsWithNoCase(part, urlPrefix)) continue;
        const std::string entry = TOrloFunction::iHTMLDecode(part);
        // Name and value are decoded apart, so an escaped "=" or EOT inside
        // them survives the post.
        const size_t equals = part.find('=');
        if (equals == std::string::npos)
            add(entry, entry, {});
        else
            add(entry, TOrloFunction::iHTMLDecode(part.substr(0, equals)),
                TOrloFunction::iHTMLDecode(part.substr(equals + 1)));
        const size_t prefixLength = std::strlen(TWebWrapperRules::SPREFIX);
        if (platform::startsWithNoCase(entry, TWebWrapperRules::SPREFIX)) {
            const size_t end = entry.find('=');
            form.number = numberOrZero(std::string_view(entry).substr(
                prefixLength, end == std::string::npos ? std::string_view::npos : end - prefixLength));
        }
    }
    return form;
}

}  // namespace orlo
