#include "request_body.h"

#include <algorithm>

namespace zentserver {

std::span<const std::uint8_t> RequestBody::view(std::size_t from, std::size_t n, Bytes& scratch) const {
    const std::size_t total = size();
    from = std::min(from, total);
    n = std::min(n, total - from);
    if (plain_) return {plain_->data() + from, n};
    scratch.resize(n);
    if (!enciphered_->read(from, n, scratch.data())) return {};
    return {scratch.data(), n};
}

}  // namespace zentserver
