// Texts every part of the client shares.
#pragma once

#include <string_view>

namespace zentcore {

// Caption of every message box said to carry the application's title.
inline constexpr std::string_view kApplicationTitle = "Zentrope Client";

}  // namespace zentcore
