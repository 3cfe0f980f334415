// The saved list of request addresses (printer@server[:port]).
#include <zentcore/settings.h>

#include <zcodec/utilities.h>
#include <zplatform/registry.h>

#include <algorithm>
#include <set>

namespace zentcore {

namespace {

constexpr int kLoadedAddresses = 10;

}  // namespace

std::vector<std::string> LoadRequestAddresses() {
    std::vector<std::string> addresses;
    auto key = platform::RegKey::openReadOnly(platform::Hive::CurrentUser, kLastPrinterKey);
    if (!key) return addresses;
    for (int i = 1; i <= kLoadedAddresses; ++i) {
        std::string address = encdec::Trim(key->readString(std::to_string(i)));
        if (address.empty() || std::find(addresses.begin(), addresses.end(), address) != addresses.end()) continue;
        addresses.push_back(std::move(address));
    }
    return addresses;
}

bool SaveRequestAddresses(const std::vector<std::string>& addresses) {
    auto key = platform::RegKey::openOrCreate(platform::Hive::CurrentUser, kLastPrinterKey);
    if (!key) return false;
    // New values first, stale ones after: an interrupted save leaves extra
    // entries behind, never an empty list.
    std::set<std::string> taken, written;
    bool ok = true;
    for (std::size_t i = 0; i < addresses.size(); ++i) {
        std::string address = encdec::Trim(addresses[i]);
        if (address.empty() || !taken.insert(address).second) continue;
        std::string name = std::to_string(i + 1);
        ok = key->writeString(name, address) && ok;
        written.insert(name);
    }
    for (const auto& name : key->valueNames())
        if (!written.count(name)) ok = key->deleteValue(name) && ok;
    return ok;
}

}  // namespace zentcore
