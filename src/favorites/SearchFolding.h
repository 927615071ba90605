#pragma once
// Text as the search compares it: upper and lower case, full-width and half-width forms and
// hiragana and katakana are made alike, so that ＡＢＣ finds abc and ｶﾀｶﾅ finds かたかな.

#include <string>
#include <string_view>

namespace mv {

// The folded form of `text` (UTF-16): compatibility forms made plain and composed (NFKC),
// case folded, hiragana written as katakana. Two texts that a Japanese reader takes for the
// same word fold alike; a folded text folds to itself. Safe to call from any thread.
std::u16string FoldForSearch(std::u16string_view text);

} // namespace mv
