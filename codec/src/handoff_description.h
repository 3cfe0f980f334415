// The text of a job's description file (ztp_N.txt).
#pragma once

#include <zcodec/handoff.h>

#include <string>

namespace encdec::detail {

// Thirteen "Key=value" lines, each ended by CR LF, in the order the queue
// reads them. A CR or LF inside a text value is written as a blank, so a
// value can never add a key of its own.
std::string JobDescriptionText(const ZTP_JOBDATA& job);

}  // namespace encdec::detail
