// The key filter of the numeric edit controls: non-negative decimal numbers
// only, with at most a given number of decimals. Apart from the widgets so
// that it runs, and is tested, without a window.
#pragma once

#include <string_view>

namespace orlo {

// What typing key into text does: the character to insert (key itself, or
// the locale's separator for "." and ","), or 0 when the key is refused.
// selectionEnd: the offset just past the current selection (the caret when
// nothing is selected); decimalDigits: at most this many digits after the
// separator, 0 none and no separator, negative no limit.
char16_t DoubleEditKey(std::u16string_view text, int selectionEnd, char16_t key, int decimalDigits,
                       char16_t separator);

}  // namespace orlo
