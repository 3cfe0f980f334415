#include <zentcore/printeraddress.h>

#include <zentcore/application.h>
#include <zentcore/settings.h>
#include <zcodec/utilities.h>
#include <zplatform/prompter.h>

#include <algorithm>

namespace zentcore {

const std::string_view kAddressSyntaxMessage =
    "Incorrect printer address syntax.\nExample: laser@printserver.example.com";

std::optional<PrinterAddress> SplitPrinterAddress(std::string_view address, bool allowMissingPrinter) {
    // 1-based position of the first '@' (0: none), as the rule is stated.
    const auto at = address.find('@');
    const std::size_t p = at == std::string_view::npos ? 0 : at + 1;
    const std::size_t n = address.size();
    const bool syntaxRight = p >= 2 && p != n;
    if (!syntaxRight && !allowMissingPrinter) return std::nullopt;

    PrinterAddress result;
    if (p >= 2) result.printer = std::string(address.substr(0, p - 1));
    result.server = (p >= 1 && p < n) ? std::string(address.substr(p)) : std::string(address);
    if (result.server.empty()) return std::nullopt;
    return result;
}

std::optional<PrinterAddress> SplitPrinterAddressOrWarn(std::string_view address, bool allowMissingPrinter) {
    auto result = SplitPrinterAddress(address, allowMissingPrinter);
    if (!result) platform::prompter().warn(kApplicationTitle, kAddressSyntaxMessage);
    return result;
}

std::vector<std::string> WithAddressRemembered(std::vector<std::string> list, const std::string& address) {
    constexpr std::size_t kMostAddresses = 10;
    const auto found = std::find(list.begin(), list.end(), address);
    if (found != list.end()) list.erase(found);
    list.insert(list.begin(), address);
    if (list.size() > kMostAddresses) list.resize(kMostAddresses);
    return list;
}

bool RememberRequestAddress(const std::string& address, bool saveRequestAddresses) {
    if (!saveRequestAddresses || encdec::Trim(address).empty()) return false;
    const auto before = LoadRequestAddresses();
    const auto after = WithAddressRemembered(before, address);
    if (after == before) return false;
    return SaveRequestAddresses(after);
}

}  // namespace zentcore
