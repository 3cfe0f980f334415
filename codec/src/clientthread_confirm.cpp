// The CONFIRM that follows an accepted PRFILE, and what its failure makes of
// the delivery.
#include <zcodec/clientthread.h>

#include <algorithm>
#include <string_view>

#include "clientthread_timeouts.h"

namespace encdec {

namespace {

// Enough of an unexpected answer to recognise it in a message or a log.
constexpr std::size_t kShownAnswerBytes = 32;

std::string failureText(const std::string& errorText, const std::uint8_t* answer, std::int64_t length) {
    if (!errorText.empty()) return errorText;
    if (!answer) return "no answer";
    std::string shown(reinterpret_cast<const char*>(answer),
                      std::min<std::size_t>(std::size_t(length), kShownAnswerBytes));
    for (char& c : shown)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '?';
    return "answered \"" + shown + (std::size_t(length) > kShownAnswerBytes ? "...\"" : "\"");
}

}  // namespace

// The server keeps a delivered job only once the client has confirmed the
// number it was given, so a confirmation that fails in any way (an error, no
// answer, an answer other than "OK") leaves the job undelivered: return value
// 0, and the confirmation's own error code where it has one, else 2002.
void TClientThread::confirmDelivery() {
    std::string failure;
    std::int32_t code = kErrNoAnswer;
    try {
        TClientThread confirm(false, "CONFIRM", std::to_string(ReturnValue), Address, Handle, ttNone, Session, 0, "",
                              timeoutScale_);
        while (!confirm.waitFor(exchange::kStepMs))
            if (terminated()) confirm.terminate();
        if (confirm.ReturnValue == 1 && confirm.ErrorCode == 0) return;
        if (confirm.ErrorCode != 0) code = confirm.ErrorCode;
        failure = failureText(confirm.GetErrorMsg(), confirm.GetAnswerAsPointer(), confirm.GetAnswerLength());
    } catch (...) {
        failure = "the confirmation could not be made";
    }
    ReturnValue = 0;
    ErrorCode = code;
    confirmFailure_ = "delivery not confirmed: " + failure;
}

}  // namespace encdec
