#include "clientthread_code.h"
#include "clientthread_numbers.h"

#include <zcodec/utilities.h>

namespace encdec::exchange {

void SplitServerAddress(const std::string& address, std::string& host, std::int32_t& port) {
    StringList fields;
    split(address, ":", fields, 2);
    host = fields.empty() ? std::string() : fields[0];
    port = kDefaultServerPort;
    if (fields.size() < 2) return;
    // A number outside the port range would reach some other port once cut
    // to 16 bits; it counts as no number.
    std::int32_t value = DecimalOr(TrimBlanks(fields[1]), -1);
    if (value >= 0 && value <= 65535) port = value;
}

}  // namespace encdec::exchange
