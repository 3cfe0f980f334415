// The program's version as the about window shows it.
#pragma once

#include <string>

namespace zentclient {

// "major.minor.patch.tweak" of the build.
std::string ProgramVersion();

}  // namespace zentclient
