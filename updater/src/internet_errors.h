// The internet error box's text: "System error N\r\n" and a description. A
// libcurl code is shown as the internet error code it stands for where one
// fits; a reply of the server that refused is the extended error (12003),
// described by that reply.
#pragma once

#include "ftp_session.h"

#include <string>

namespace zsync {

int internetErrorCode(const FtpFailure& failure);
std::string internetErrorText(const FtpFailure& failure);

}  // namespace zsync
