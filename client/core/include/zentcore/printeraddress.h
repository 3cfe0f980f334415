// Request addresses of the form printer@server[:port]: how they split, and the
// list of recently used ones.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zentcore {

// The pseudo-address that stands for an export into a file.
inline constexpr std::string_view kLocalExportEntry = "[Local Export]";

struct PrinterAddress {
    std::string printer;   // empty only when a missing printer was allowed
    std::string server;    // never empty
};

// Splits at the first '@'. With allowMissingPrinter a bare server, or an
// address that starts with '@', gives an empty printer; nullopt when the
// address does not have the needed parts.
std::optional<PrinterAddress> SplitPrinterAddress(std::string_view address, bool allowMissingPrinter);

// The same, warning the user (application title, exclamation) on failure.
std::optional<PrinterAddress> SplitPrinterAddressOrWarn(std::string_view address, bool allowMissingPrinter);

// The warning shown for an address that cannot be split.
extern const std::string_view kAddressSyntaxMessage;

// The list after using address: moved or inserted at the front, at most ten
// entries (the oldest dropped). Exact comparison.
std::vector<std::string> WithAddressRemembered(std::vector<std::string> list, const std::string& address);

// Remembers address in the saved request addresses when saveRequestAddresses
// is on and the address is not blank; saves only when the list changed.
// Whether it saved.
bool RememberRequestAddress(const std::string& address, bool saveRequestAddresses);

}  // namespace zentcore
