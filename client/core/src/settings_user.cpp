// Single per-user switches.
#include <zentcore/settings.h>

#include <zplatform/registry.h>

namespace zentcore {

bool NotificationsEnabled() {
    const auto key = platform::RegKey::openReadOnly(platform::Hive::CurrentUser, kClientKey);
    if (!key) return true;
    const auto value = key->readDword("Notifications");
    return !value || *value != 0;
}

}  // namespace zentcore
