// One command-line text into arguments, by the rules Windows programs use.
#include <zplatform/system.h>

namespace platform {

// Blanks (space, tab) outside double quotes separate arguments. 2n backslashes
// before a quote give n backslashes and the quote opens or closes a quoted
// run; 2n+1 give n backslashes and a literal quote; backslashes before
// anything else are literal. Inside a quoted run "" is one literal quote and
// the run goes on. An empty quoted run is an empty argument.
std::vector<std::string> splitCommandLine(std::string_view text) {
    std::vector<std::string> args;
    std::string current;
    bool inArgument = false;
    bool quoted = false;
    size_t i = 0;
    while (i < text.size()) {
        char c = text[i];
        if (!quoted && (c == ' ' || c == '\t')) {
            if (inArgument) args.push_back(std::move(current));
            current.clear();
            inArgument = false;
            ++i;
            continue;
        }
        inArgument = true;
        if (c == '\\') {
            size_t run = 0;
            while (i < text.size() && text[i] == '\\') ++run, ++i;
            if (i < text.size() && text[i] == '"') {
                current.append(run / 2, '\\');
                if (run % 2 == 1) {
                    current += '"';
                    ++i;
                }
            } else {
                current.append(run, '\\');
            }
            continue;
        }
        if (c == '"') {
            if (quoted && i + 1 < text.size() && text[i + 1] == '"') {
                current += '"';
                i += 2;
                continue;
            }
            quoted = !quoted;
            ++i;
            continue;
        }
        current += c;
        ++i;
    }
    if (inArgument) args.push_back(std::move(current));
    return args;
}

}  // namespace platform

namespace platform {

std::string quoteArgument(std::string_view argument) {
    std::string out = "\"";
    size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        if (c == '"') {
            out.append(backslashes * 2 + 1, '\\');
        } else {
            out.append(backslashes, '\\');
        }
        backslashes = 0;
        out += c;
    }
    // Backslashes before the closing quote must not escape it.
    out.append(backslashes * 2, '\\');
    out += '"';
    return out;
}

}  // namespace platform
