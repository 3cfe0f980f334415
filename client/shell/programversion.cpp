#include "shell/programversion.h"

namespace zentclient {

std::string ProgramVersion() {
#ifdef ZENTROPE_VERSION_TEXT
    return ZENTROPE_VERSION_TEXT;
#else
    return "Undefined";
#endif
}

}  // namespace zentclient
