// The application's title and version as the windows and message boxes show
// them.
#pragma once

#include <string>
#include <string_view>

#include <zentcore/application.h>

namespace zentclient {

// Caption of every message box that carries the application title.
inline constexpr std::string_view kAppTitle = zentcore::kApplicationTitle;

// "major.minor.patch.tweak" of the build.
std::string ProgramVersion();

}  // namespace zentclient
