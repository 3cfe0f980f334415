#include <orlo/doubleeditfunc.h>

namespace orlo {

char16_t DoubleEditKey(std::u16string_view text, int selectionEnd, char16_t key, int decimalDigits,
                       char16_t separator) {
    const auto at = text.find(separator);
    if (key >= u'0' && key <= u'9') {
        if (decimalDigits <= 0 || at == std::u16string_view::npos) return key;
        const auto p = std::ptrdiff_t(at) + 1;   // 1-based, as the caret rule counts
        // Before the separator any digit goes; after it, only while there is room.
        if (p >= selectionEnd + 1) return key;
        return std::ptrdiff_t(text.size()) - p < decimalDigits ? key : 0;
    }
    if (key == u'.' || key == u',') {
        if (decimalDigits == 0) return 0;
        return at == std::u16string_view::npos && !text.empty() ? separator : 0;
    }
    if (key < 32) return key;   // backspace and the other editing keys
    return 0;
}

}  // namespace orlo
