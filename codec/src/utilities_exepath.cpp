// The directory of a program's executable.
#include <zcodec/utilities.h>

namespace encdec {

std::string GetExePath(const std::string& application) {
    std::size_t slash = application.find_last_of('/');
    if (slash == std::string::npos) return "./";
    return application.substr(0, slash + 1);
}

}  // namespace encdec
