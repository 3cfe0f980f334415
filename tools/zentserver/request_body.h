// A request's payload after unpacking, as a command reads it: plain bytes, or
// a cipher body deciphered only where read (left so for commands that pass a
// large payload on piece by piece, so it is not deciphered in a pass of its
// own first).
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "cipher_body.h"

namespace zentserver {

class RequestBody {
public:
    using Bytes = std::vector<std::uint8_t>;

    explicit RequestBody(const Bytes& plain) : plain_(&plain) {}
    explicit RequestBody(const CipherBody& enciphered) : enciphered_(&enciphered) {}

    std::size_t size() const { return plain_ ? plain_->size() : enciphered_->size(); }
    // The bytes [from, from + n), clipped to the payload: a view of the plain
    // bytes, or deciphered into scratch. Empty when deciphering fails.
    std::span<const std::uint8_t> view(std::size_t from, std::size_t n, Bytes& scratch) const;

private:
    const Bytes* plain_ = nullptr;
    const CipherBody* enciphered_ = nullptr;
};

}  // namespace zentserver
