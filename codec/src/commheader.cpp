#include <zcodec/commheader.h>

#include <zcodec/byteorder.h>

#include <algorithm>
#include <cstring>

#include "text_trim.h"

namespace encdec {
namespace {

// Places of the fields in the wire image.
constexpr int kCommandAt = 0;
constexpr int kCommandWidth = 31;  // then one zero byte
constexpr int kLengthAt = 32;
constexpr int kUncSizeAt = 36;
constexpr int kTimeAt = 40;
constexpr int kSessionAt = 44;
constexpr int kAckErrorAt = 48;
constexpr int kEnccmpAt = 52;
constexpr int kVersionAt = 54;
constexpr int kErrMsgAt = 56;
constexpr int kErrMsgWidth = 199;  // then one zero byte
static_assert(kErrMsgAt + kErrMsgWidth + 1 == kCommHeaderSize);

using Image = std::array<std::uint8_t, kCommHeaderSize>;

void put32(Image& image, int at, std::uint32_t v) { PutBigEndian32(image.data() + at, v); }
void put16(Image& image, int at, std::uint16_t v) { PutBigEndian16(image.data() + at, v); }
std::int32_t get32(const Image& image, int at) { return GetBigEndian32(image.data() + at); }
std::int16_t get16(const Image& image, int at) { return GetBigEndian16(image.data() + at); }

// What a text field of the given width decodes to: up to the first zero byte,
// without trailing white space. Encoding keeps exactly this, so the decoded
// field always equals what was set.
std::string fieldText(std::string_view text, int width) {
    text = text.substr(0, std::min(text.find('\0'), std::size_t(width)));
    return std::string(detail::trimRight(text));
}

// Left-aligned, padded with spaces to width, then the terminating zero byte;
// the text never reaches past its field.
void putText(Image& image, int at, int width, const std::string& text) {
    std::memset(image.data() + at, ' ', width);
    std::memcpy(image.data() + at, text.data(), text.size());
    image[at + width] = 0;
}

}  // namespace

TCommHeader::TCommHeader(const void* data, int length) { SetData(data, length); }

void TCommHeader::SetData(const void* data, int length) {
    if (data != nullptr && length > 0)
        std::memcpy(image_.data(), data, std::min(length, kCommHeaderSize));

    const auto* bytes = reinterpret_cast<const char*>(image_.data());
    Command = fieldText(std::string_view(bytes + kCommandAt, kCommandWidth), kCommandWidth);
    // Widened so that a length field near the lower limit cannot overflow.
    const std::int64_t size = std::int64_t(get32(image_, kLengthAt)) - kCommHeaderSize;
    Size = size < 0 ? 0 : std::int32_t(size);
    UncSize = get32(image_, kUncSizeAt);
    Time = get32(image_, kTimeAt);
    Session = get32(image_, kSessionAt);
    AckError = get32(image_, kAckErrorAt);
    Enccmp = TransportType(std::int8_t(image_[kEnccmpAt + 1]));
    Version = get16(image_, kVersionAt);
    AckErrMsg = fieldText(std::string_view(bytes + kErrMsgAt, kErrMsgWidth), kErrMsgWidth);
}

void TCommHeader::SetEnccmp(TransportType t) {
    Enccmp = t;
    put16(image_, kEnccmpAt, std::uint16_t(std::int16_t(t)));
}

void TCommHeader::SetVersion(std::int16_t v) {
    Version = v;
    put16(image_, kVersionAt, std::uint16_t(v));
}

void TCommHeader::SetSize(std::int32_t n) {
    Size = n;
    // Unsigned so that sizes the field cannot carry wrap instead of overflowing.
    put32(image_, kLengthAt, std::uint32_t(n) + kCommHeaderSize);
}

void TCommHeader::SetUncSize(std::int32_t n) {
    UncSize = n;
    put32(image_, kUncSizeAt, std::uint32_t(n));
}

void TCommHeader::SetTime(std::int32_t t) {
    Time = t;
    put32(image_, kTimeAt, std::uint32_t(t));
}

void TCommHeader::SetSession(std::int32_t s) {
    Session = s;
    put32(image_, kSessionAt, std::uint32_t(s));
}

void TCommHeader::SetAckError(std::int32_t e) {
    AckError = e;
    put32(image_, kAckErrorAt, std::uint32_t(e));
}

void TCommHeader::SetCommand(const std::string& name) {
    Command = fieldText(name, kCommandWidth);
    putText(image_, kCommandAt, kCommandWidth, Command);
}

void TCommHeader::SetAckErrMsg(const std::string& text) {
    AckErrMsg = fieldText(text, kErrMsgWidth);
    putText(image_, kErrMsgAt, kErrMsgWidth, AckErrMsg);
}

}  // namespace encdec
