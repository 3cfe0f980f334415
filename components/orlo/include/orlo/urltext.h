// Percent-encoding of URL parts and local file URLs, as the web wrapper and
// the pages it shows need them.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace orlo {

// Decodes every "%" followed by two hex digits; any other "%" stays as it is.
// "+" is not a blank here (that is form encoding, see iHTMLEncode).
std::string UrlDecode(std::string_view text);

// Escapes every byte except ASCII letters, digits, "-", ".", "_", "~" and
// the bytes listed in keep, as "%" and two upper-case hex digits.
std::string UrlEncode(std::string_view text, std::string_view keep = {});

// Whether url starts with scheme and ":" (the scheme in any case).
bool HasScheme(std::string_view url, std::string_view scheme);

// "file://" and the absolute path, escaped.
std::string FileUrl(const std::string& absolutePath);

// The local path a URL names: a "file:" URL (host empty or "localhost";
// query and fragment dropped; escapes decoded) or an absolute path as it is.
// nullopt for anything else.
std::optional<std::string> LocalPathOfUrl(std::string_view url);

}  // namespace orlo
