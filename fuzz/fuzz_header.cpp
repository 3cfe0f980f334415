// Any bytes decode safely into a header, and what decoding gives encodes and
// decodes to itself; texts set from any bytes stay inside their fields.
#include <zcodec/commheader.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

using encdec::TCommHeader;

namespace {

void require(bool condition) {
    if (!condition) std::abort();
}

bool sameFields(const TCommHeader& a, const TCommHeader& b) {
    return a.Enccmp == b.Enccmp && a.Version == b.Version && a.Size == b.Size && a.UncSize == b.UncSize &&
           a.Session == b.Session && a.AckError == b.AckError && a.Time == b.Time && a.Command == b.Command &&
           a.AckErrMsg == b.AckErrMsg;
}

bool cleanText(const std::string& text, std::size_t width) {
    return text.size() <= width && text.find('\0') == std::string::npos &&
           (text.empty() || static_cast<unsigned char>(text.back()) > ' ');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const TCommHeader received(data, int(std::min<std::size_t>(size, 4096)));
    require(received.Size >= 0);
    require(cleanText(received.Command, 31));
    require(cleanText(received.AckErrMsg, 199));

    TCommHeader rebuilt;
    rebuilt.SetCommand(received.Command);
    rebuilt.SetSize(received.Size);
    rebuilt.SetUncSize(received.UncSize);
    rebuilt.SetTime(received.Time);
    rebuilt.SetSession(received.Session);
    rebuilt.SetAckError(received.AckError);
    rebuilt.SetEnccmp(received.Enccmp);
    rebuilt.SetVersion(received.Version);
    rebuilt.SetAckErrMsg(received.AckErrMsg);
    require(sameFields(rebuilt, received));
    require(sameFields(TCommHeader(rebuilt.GetData(), 256), received));

    // The input as both texts: bounded, and the numbers between them untouched.
    const std::string text(reinterpret_cast<const char*>(data), size);
    rebuilt.SetCommand(text);
    rebuilt.SetAckErrMsg(text);
    require(rebuilt.GetData()[31] == 0 && rebuilt.GetData()[255] == 0);
    const TCommHeader again(rebuilt.GetData(), 256);
    require(sameFields(again, rebuilt));
    require(again.Size == received.Size && again.Version == received.Version);
    return 0;
}
